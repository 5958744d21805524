#pragma once
// The interface languages: which one a start uses (command line, language file, locale of the
// session) and the list of languages the user may choose from.
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A language code held as a 16-bit value of its two letters (0 for the system default).
quint16 LangCodeValue(const QString &code);
QString LangCodeText(quint16 value);

// Where the language file lies and which language the command line asks for.
struct TLanguageChoice {
  QString LangFile;     // the per-user language file (an INI file: [Language] LangID=de)
  QString CommandLine;  // the code given by -lang:xx, empty without one
  QString Code;         // the code this start uses ("en" when nothing else applies)
};

// Works out the language file and the code from the arguments (without the program name):
// "-lang:xx" (any prefix of "lang", so "-l:de") names the language; "-ini:path" and "-portable"
// move the language file beside the settings file or into the program folder. Without -lang the
// language file decides, then the locale of the session (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
TLanguageChoice ChooseLanguage(const QStringList &args, const QString &appPath, const QString &programDir,
                               const QString &baseName,
                               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
// The language of the session's locale variables; "en" for the C and POSIX locales or none.
QString SystemLanguageCode(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
// Reads [Language] LangID; empty when the file or the key is missing or unreadable.
QString ReadLanguageFile(const QString &fileName);
// Writes the code to the language file, keeping its other contents; false with error when it fails.
bool WriteLanguageFile(const QString &fileName, const QString &code, QString *error = nullptr);

// Start-up: chooses the language and loads its catalogues. The result is remembered for the run
// (see LanguageChoice()).
TLanguageChoice InitTranslation(const QStringList &args, const QString &appPath, const QString &programDir,
                                const QString &baseName);
const TLanguageChoice &LanguageChoice();

struct TLanguageEntry {
  QString Name; // as shown (translated when a language was loaded)
  quint16 Code = 0;
};

// The offered languages: "&System default" first, then the languages sorted by name.
class TLanguageList {
public:
  // Reads the built-in list when fileName is empty, else path + fileName (one "xx=Name # comment"
  // per line, lines starting with '#' skipped). A missing source leaves the list as it was.
  TLanguageList(const QString &path = QString(), const QString &fileName = QString());

  // Reads the list again with the names in the language code (nothing happens, and false is
  // returned, for an empty code), then selects the code.
  bool LoadLanguageNames(const QString &langCode);
  // The list's text from a source ("xx=Name" lines).
  void LoadFromText(const QString &text);

  const QList<TLanguageEntry> &Entries() const { return FEntries; }
  int Count() const { return int(FEntries.size()); }
  QString GetLangCode(int index) const;
  int IndexOfCode(const QString &code) const;

  QString SelectedLanguageCode() const { return FLangCode; }
  // Selects the entry with the code, when there is one.
  void SetSelectedLanguageCode(const QString &code);
  QString CurrentLanguage() const { return FCurrentLanguage; }

  // The built-in list as stored (UTF-16 with byte-order mark).
  static QString BuiltInText();

private:
  bool ReadSource();
  void Sort();

  QString FPath, FLangName, FLangCode, FCurrentLanguage;
  QList<TLanguageEntry> FEntries;
};
