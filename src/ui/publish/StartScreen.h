#pragma once
// The start screen: a small borderless window that tells what the program is doing while it
// starts and while a project's documents are opened.
#include <QWidget>

class QLabel;

class TStartScreen : public QWidget {
  Q_OBJECT
public:
  explicit TStartScreen(QWidget *parent = nullptr);

  // Version comment and notice line (", " in it become line breaks); empties project and file.
  void ShowMsg(const QString &comment, const QString &notice);
  void ShowStatus(const QString &text);
  void ShowProject(const QString &name);
  void ShowFileName(const QString &path); // shortened with "..." to fit

  // The screen of the running program, when one is shown.
  static TStartScreen *Current();

  QLabel *lblVers, *lblCop, *lblStat, *lblProject, *lblFiles;

protected:
  bool eventFilter(QObject *o, QEvent *e) override;
};

// Shows the start screen for its lifetime once the work has taken longer than DelayMs (a start
// that is over at once shows no screen flashing by); nested scopes share the one screen, and the
// outermost closes it.
class TStartScreenScope {
public:
  static inline int DelayMs = 200;

  TStartScreenScope(const QString &comment, const QString &notice);
  ~TStartScreenScope();
  TStartScreenScope(const TStartScreenScope &) = delete;
  TStartScreenScope &operator=(const TStartScreenScope &) = delete;
  void Status(const QString &text);
  void Project(const QString &name);
  void FileName(const QString &path);

private:
  bool FOwner = false;
};
