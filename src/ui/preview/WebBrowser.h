#pragma once
// The reference window: an HTML reference (a folder of local pages or a web address) or the
// program's own help, with history buttons, window sizes and a key that returns to the editor.
#include <QPointer>
#include <QWidget>

class QAction;
class QLineEdit;
class QToolBar;
class QVBoxLayout;
class TPreviewEngine;

class TWebBrowserWin : public QWidget {
  Q_OBJECT
public:
  explicit TWebBrowserWin(QWidget *parent = nullptr);
  ~TWebBrowserWin() override;

  // Shows url (a local file name or an address with "://"). With a shortcut the window is
  // shown beside the editor and the shortcut returns to the caller; without one it is modal
  // and the result tells whether it was closed with "Exit" (only offered with showOk).
  bool Execute(QWidget *caller, const QString &title, const QKeySequence &shortcut, bool showOk,
               const QString &org, const QString &url);
  void LoadFromIni(const QString &iniName, const QString &section);
  // Web addresses need the modern engine; with the classic one they open in the desktop's browser.
  void SetModernEngine(bool on);
  TPreviewEngine *Engine() const { return FEngine; }
  QString HomePage() const { return Home; }

  bool Available = true;
  QLineEdit *edURL;
  QToolBar *tbTools;
  QAction *ActionEdit, *ActionRefresh, *ActionHome, *ActionBack, *ActionFwd, *ActionCancel, *ActionExit;

private:
  TPreviewEngine *EnsureEngine();
  void SetBrowserSize(QSize s);
  void SaveToIni() const;

  QString FIniName, FSection;
  QPointer<QWidget> FCaller;
  TPreviewEngine *FEngine = nullptr;
  QVBoxLayout *FHostLayout;
  QWidget *FHost;
  QString Home, FOrg;
  bool FModern = false;
  bool FExitChosen = false;
};
