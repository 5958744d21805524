#pragma once
// The preview window: the active document rendered by one of the two engines, with an address
// field, history buttons and a list of fixed browser sizes. It follows the active document each
// time it is activated.
#include <QPointer>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;
class TPreviewEngine;

class TfrmWebView : public QWidget {
  Q_OBJECT
public:
  explicit TfrmWebView(QWidget *parent = nullptr);
  ~TfrmWebView() override;

  // The page to show on activation: caption, the document's file name and the preview file
  // (empty when the active document has no preview).
  using TRefresh = std::function<void(QString &caption, QString &org, QString &page)>;
  TRefresh FOnRefresh;

  bool CanUseWebView = false;
  QString EngineVersion;
  bool SaveResize = true;
  // Refresh the open preview half a second after the last edit.
  bool RefreshWhileTyping = false;

  void ShowWebPage(QWidget *caller, const QString &title, const QString &org, const QString &url);
  void ShowWebPage(const QString &title, const QString &url, const QString &org) {
    ShowWebPage(nullptr, title, org, url);
  }
  // False when the modern engine is asked for but cannot be used; a visible window is closed first.
  bool SetBrowserMode(bool edgeMode);
  bool EdgeMode() const { return FEdgeMode; }
  // As "Exit": the caller (or the main window) comes to the front, the preview stays open behind.
  void HideWebPage();
  void LoadFromIni(const QString &iniName, const QString &section);
  // Follows the active document (also called on activation).
  void FollowDocument();
  // The engine in use (nullptr before the first page was shown).
  TPreviewEngine *Engine() const { return FEngine; }
  QString HomePage() const { return Home; }
  QString ShownDocument() const { return FOrg; }
  QSize BrowserSize() const;
  void SetBrowserSize(QSize size);

  QLabel *imgIcon;
  QLineEdit *edURL;
  QComboBox *cbSize;
  QToolButton *bbBack, *bbFwd, *bbRefresh, *bbHome, *bbGo, *bbExit;
  QWidget *paTop;
  QWidget *WVWindowParent; // holds the engine's view

signals:
  // The modern engine could not run: the window has gone back to the classic engine.
  void EngineFailed(const QString &message);

protected:
  bool event(QEvent *e) override;
  void resizeEvent(QResizeEvent *e) override;
  void showEvent(QShowEvent *e) override;
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  TPreviewEngine *EnsureEngine();
  void DropEngine();
  void UpdateIcon();
  void SizeChosen(int index);
  void UpdateSizeEntry();
  void SaveToIni() const;
  void Navigate(const QString &address);

  bool FEdgeMode = false;
  bool ChangePage = false;
  QString FIniName, FSection;
  QString Home;
  QString FOrg;
  QPointer<QWidget> FCaller;
  TPreviewEngine *FEngine = nullptr;
  QVBoxLayout *FHostLayout;
  QSize FWantedSize;       // the browser size to make when the window is first shown
  QElapsedTimer FShownAt;  // a page just given by ShowWebPage needs no refresh on activation
};
