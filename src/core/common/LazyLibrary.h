#pragma once
// Libraries that only some commands need (secure transfers, the page checker, the password
// cipher) are opened when one of them is first used, not at every start: each of them, with what
// it pulls in, adds to the time before the window appears.
//
// The program calls such a library's functions by their own names; a forwarding definition of
// each (QM_LAZY_FORWARD, in the file that goes with the library's user) opens the library on the
// first call and then calls through.

#include <QString>

#include <initializer_list>
#include <mutex>
#include <vector>

class TLazyLibrary {
public:
  // names: the file names to try in turn ("libssh.so.4", ...).
  TLazyLibrary(const char *title, std::initializer_list<const char *> names);
  TLazyLibrary(const TLazyLibrary &) = delete;
  TLazyLibrary &operator=(const TLazyLibrary &) = delete;

  // Opens the library if that was not done yet; false (see Error) when it cannot be opened.
  // Safe from any thread.
  bool Load();
  QString Error();
  // The function of that name; a library that loads but lacks it ends the program with a message
  // naming both (a wrong version of the library is installed: nothing sensible can go on).
  void *Required(const char *name);

private:
  const char *FTitle;
  std::vector<const char *> FNames;
  std::once_flag FOnce;
  void *FHandle = nullptr;
  QString FError;
};

// Defines the library function name (with its parameter list params, e.g. (int a, char *b), and
// the same names as args, e.g. (a, b)) as a call through lib, a TLazyLibrary.
#define QM_LAZY_FORWARD(lib, ret, name, params, args)                                                        \
  extern "C" ret name params {                                                                               \
    using TFunc = ret(*) params;                                                                             \
    static const TFunc qmLazyF = reinterpret_cast<TFunc>((lib).Required(#name));                             \
    return qmLazyF args;                                                                                     \
  }
