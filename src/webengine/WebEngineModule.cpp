// The web engine module: the only code that touches the web engine. Loaded by the preview on
// first use (see ui/preview/WebEngineModule.h).
#include "ui/preview/WebEngineModule.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <memory>

namespace {

class TWebEngineView final : public IWebEngineView {
public:
  explicit TWebEngineView(QWidget *parent) {
    // One profile for the program's life, made with the first view (no storage name: off the record).
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
      profile = new QWebEngineProfile(QCoreApplication::instance());
      profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
      profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
    FView = new QWebEngineView(parent);
    FView->setObjectName(QStringLiteral("WVBrowser"));
    auto *page = new QWebEnginePage(profile, FView);
    // Local pages may load their style sheets, scripts and images beside them.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    FView->setPage(page);
    QObject::connect(FView, &QWebEngineView::urlChanged, FView, [this](const QUrl &url) {
      if (OnUrlChanged)
        OnUrlChanged(url);
    });
    QObject::connect(FView, &QWebEngineView::loadFinished, FView, [this](bool ok) {
      if (FRestoreY >= 0 || FRestoreX >= 0) {
        FView->page()->runJavaScript(QStringLiteral("window.scrollTo(%1, %2)").arg(qMax(0, FRestoreX)).arg(qMax(0, FRestoreY)));
        FRestoreX = FRestoreY = -1;
      }
      if (OnLoadFinished)
        OnLoadFinished(ok);
    });
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, FView,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                       if (status != QWebEnginePage::NormalTerminationStatus && OnEngineFailed)
                         OnEngineFailed(QStringLiteral("The page process ended (code %1)").arg(code));
                     });
  }
  ~TWebEngineView() override {
    // A page being destroyed answers its pending scripts with nothing: nobody is left to hear it.
    *FAlive = false;
    delete FView.data(); // already gone when its parent window went first

  }
  QWidget *Widget() override { return FView; }
  void Navigate(const QUrl &url) override {
    if (url == FView->url()) {
      Reload();
      return;
    }
    FRestoreX = FRestoreY = -1;
    FView->setUrl(url);
  }
  void Back() override { FView->back(); }
  void Forward() override { FView->forward(); }
  void Reload() override {
    if (FView->url().isEmpty())
      return;
    std::weak_ptr<bool> alive = FAlive;
    QPointer<QWebEngineView> view = FView;
    // The place is asked for first; the page reloads once the answer is there.
    FView->page()->runJavaScript(QStringLiteral("[window.scrollX, window.scrollY]"), [this, view, alive](const QVariant &v) {
      if (auto a = alive.lock(); !a || !*a || !view)
        return;
      const QVariantList xy = v.toList();
      FRestoreX = xy.size() == 2 ? xy[0].toInt() : -1;
      FRestoreY = xy.size() == 2 ? xy[1].toInt() : -1;
      view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    });
  }
  QUrl Url() override { return FView->url(); }
  void RunScript(const QString &script, std::function<void(const QVariant &)> done) override {
    FView->page()->runJavaScript(script, [done = std::move(done), alive = std::weak_ptr<bool>(FAlive)](const QVariant &v) {
      if (auto a = alive.lock(); a && *a && done)
        done(v);
    });
  }

private:
  QPointer<QWebEngineView> FView;
  int FRestoreX = -1, FRestoreY = -1;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace

// Made by the engine's own start-up hook when it is linked into a program; loaded late, it is
// called here before the first view.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

extern "C" Q_DECL_EXPORT IWebEngineView *QmCreateWebEngineView(QWidget *parent) {
  // The engine draws through a graphics context shared with the program's windows. A program
  // that links the engine makes it at start-up, which costs every start a GL set-up; here it is
  // made when the first page is shown.
  static const bool shared = [] {
    QtWebEngineCore::initialize();
    return true;
  }();
  Q_UNUSED(shared);
  return new TWebEngineView(parent);
}

extern "C" Q_DECL_EXPORT const char *QmWebEngineVersion() { return qWebEngineChromiumVersion(); }
