#pragma once
// The main window's preview and reference commands: the preview window and its engines, the
// external browser, the HTML reference, the program's help and "Check page".
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QTimer;
class THauptForm;
class TMDIForm;
class TfrmWebView;
class TWebBrowserWin;

class TPreviewCommands : public QObject {
  Q_OBJECT
public:
  explicit TPreviewCommands(THauptForm *main);
  ~TPreviewCommands() override;
  static TPreviewCommands *Of(const THauptForm *main);

  void ActionPreviewExecute();
  void ActionExtPreviewExecute();
  void ActionShowRefExecute();
  void ActionShowHelpExecute();
  void CheckPageExecute();
  void itmBrowserClick();
  // Chooses the engine; false (after "Edge browser not available") when it cannot be used.
  bool SetPreviewBrowser(bool edge);
  void itmChmHelpClick();
  void itmHtmlHelpClick();
  void itmWikiHelpClick();
  // Start-up: the stored engine (falling back to the classic one with a message).
  void SelectEngine();
  // The page of the active document: caption, its file name and the preview file written for it
  // (empty for documents that are no HTML pages, or when the page could not be written).
  void GetPreviewPage(QString &caption, QString &org, QString &page);
  // Writes the preview file of doc; empty (with error) on failure.
  QString WritePreview(TMDIForm *doc, bool expandTemplates, QString *error, bool *templateFailed = nullptr);

  // Made on first use.
  TfrmWebView *WebView();
  TWebBrowserWin *RefWindow();
  TWebBrowserWin *HelpWindow();
  bool HasWebView() const;
  QString HelpFile() const;

  // Tests answer the address prompt of "from Wiki ..".
  std::function<QString(const QString &proposal)> WikiResponder;

  QAction *ClassicAction, *EdgeAction, *RefreshTypingAction, *ChmAction, *HtmlAction, *WikiAction;
  QMenu *PreviewMenu, *ReferenceMenu;

private:
  void CreateActions();
  void UpdateReferenceChecks();
  void DocumentActivated();
  void TextEdited();
  QString AskFile(const QString &title, const QString &folder, const QString &filter, const QString &proposed);

  THauptForm *F;
  QPointer<TfrmWebView> FWebView;
  QPointer<TWebBrowserWin> FRefWin, FHelpWin;
  QTimer *FTypingTimer;
  QMetaObject::Connection FTextLink;
};

// Makes the commands and their menus (before the Help menu of the main window).
void InstallPreview(THauptForm *main);
