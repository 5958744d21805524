// The modern engine: a full web engine on a private, off-the-record profile (nothing is left on
// disk to clean up at exit).
#include "ui/preview/PreviewEngine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <memory>

QString ModernEngineProcess();

#ifdef QUILLMARK_WEBENGINE
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {

class TModernEngine : public TPreviewEngine {
public:
  explicit TModernEngine(QWidget *parent) : TPreviewEngine(parent) {
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
    connect(FView, &QWebEngineView::urlChanged, this, &TPreviewEngine::UrlChanged);
    connect(FView, &QWebEngineView::loadFinished, this, [this](bool ok) {
      if (FRestoreY >= 0 || FRestoreX >= 0) {
        FView->page()->runJavaScript(QStringLiteral("window.scrollTo(%1, %2)").arg(qMax(0, FRestoreX)).arg(qMax(0, FRestoreY)));
        FRestoreX = FRestoreY = -1;
      }
      emit LoadFinished(ok);
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
              if (status != QWebEnginePage::NormalTerminationStatus)
                emit EngineFailed(QStringLiteral("The page process ended (code %1)").arg(code));
            });
  }
  ~TModernEngine() override {
    // A page being destroyed answers its pending scripts with nothing: nobody is left to hear it.
    *FAlive = false;
    delete FView;
  }
  QWidget *Widget() const override { return FView; }
  bool IsModern() const override { return true; }
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
    QWebEngineView *view = FView;
    // The place is asked for first; the page reloads once the answer is there.
    FView->page()->runJavaScript(QStringLiteral("[window.scrollX, window.scrollY]"), [this, view, alive](const QVariant &v) {
      if (auto a = alive.lock(); !a || !*a)
        return;
      const QVariantList xy = v.toList();
      FRestoreX = xy.size() == 2 ? xy[0].toInt() : -1;
      FRestoreY = xy.size() == 2 ? xy[1].toInt() : -1;
      view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    });
  }
  QUrl Url() const override { return FView->url(); }
  void RunScript(const QString &script, const std::function<void(const QVariant &)> &done) override {
    FView->page()->runJavaScript(script, [done, alive = std::weak_ptr<bool>(FAlive)](const QVariant &v) {
      if (auto a = alive.lock(); a && *a)
        done(v);
    });
  }
  void PageText(const std::function<void(const QString &)> &done) override {
    FView->page()->runJavaScript(
        QStringLiteral("document.body ? document.body.innerText : document.documentElement.textContent"),
        [done, alive = std::weak_ptr<bool>(FAlive)](const QVariant &v) {
          if (auto a = alive.lock(); a && *a)
            done(v.toString());
        });
  }

private:
  QWebEngineView *FView;
  int FRestoreX = -1, FRestoreY = -1;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace

TPreviewEngine *CreateModernEngine(QWidget *parent) {
  if (!ModernEngineAvailable())
    return nullptr;
  PrepareModernEngineEnvironment();
  return new TModernEngine(parent);
}

bool ModernEngineAvailable(QString *version) {
  if (!QFileInfo(ModernEngineProcess()).isExecutable())
    return false;
  if (version)
    *version = QString::fromLatin1(qWebEngineChromiumVersion());
  return true;
}

#else

TPreviewEngine *CreateModernEngine(QWidget *) { return nullptr; }
bool ModernEngineAvailable(QString *) { return false; }

#endif
