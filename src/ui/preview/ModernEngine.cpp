// The modern engine: a full web engine on a private, off-the-record profile (nothing is left on
// disk to clean up at exit). The engine lives in a module of its own, loaded on first use, so
// the program starts without it.
#include "ui/preview/PreviewEngine.h"
#include "ui/preview/WebEngineModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QWidget>
#include <memory>

QString ModernEngineProcess();

namespace {

#ifdef QUILLMARK_WEBENGINE_MODULE
// The module next to the program (build tree, tests), then where it is installed.
QString ModuleFile() {
  const QString name = QStringLiteral(QUILLMARK_WEBENGINE_MODULE);
  const QStringList dirs = {QCoreApplication::applicationDirPath(), QStringLiteral(QUILLMARK_WEBENGINE_BUILD_DIR),
                            QStringLiteral(QUILLMARK_WEBENGINE_INSTALL_DIR)};
  for (const QString &dir : dirs) {
    const QString file = QDir(dir).filePath(name);
    if (QFileInfo(file).isFile())
      return file;
  }
  return {};
}

// Loaded once and kept for the program's life (views made from it may live until exit).
QLibrary *Module() {
  static QLibrary *library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    const QString file = ModuleFile();
    if (!file.isEmpty()) {
      auto *lib = new QLibrary(file);
      if (lib->load() && lib->resolve(QM_WEBENGINE_CREATE) && lib->resolve(QM_WEBENGINE_VERSION)) {
        library = lib;
      } else {
        qWarning("Web engine module %s: %s", qPrintable(file), qPrintable(lib->errorString()));
        delete lib;
      }
    }
  }
  return library;
}
#endif

class TModernEngine : public TPreviewEngine {
public:
  // The engine object is made before its view, so that it goes first when their window closes:
  // its view then learns that nobody waits for its answers any more before the page goes.
  TModernEngine(QWidget *parent, QmCreateWebEngineViewFn create) : TPreviewEngine(parent), FView(create(parent)) {
    if (!FView)
      return;
    FView->OnUrlChanged = [this](const QUrl &url) { emit UrlChanged(url); };
    FView->OnLoadFinished = [this](bool ok) { emit LoadFinished(ok); };
    FView->OnEngineFailed = [this](const QString &message) { emit EngineFailed(message); };
  }
  QWidget *Widget() const override { return FView ? FView->Widget() : nullptr; }
  bool IsModern() const override { return true; }
  void Navigate(const QUrl &url) override { FView->Navigate(url); }
  void Back() override { FView->Back(); }
  void Forward() override { FView->Forward(); }
  void Reload() override { FView->Reload(); }
  QUrl Url() const override { return FView->Url(); }
  void RunScript(const QString &script, const std::function<void(const QVariant &)> &done) override {
    FView->RunScript(script, done);
  }
  void PageText(const std::function<void(const QString &)> &done) override {
    FView->RunScript(QStringLiteral("document.body ? document.body.innerText : document.documentElement.textContent"),
                     [done](const QVariant &v) { done(v.toString()); });
  }

private:
  std::unique_ptr<IWebEngineView> FView;
};

} // namespace

TPreviewEngine *CreateModernEngine(QWidget *parent) {
#ifdef QUILLMARK_WEBENGINE_MODULE
  if (!ModernEngineAvailable())
    return nullptr;
  PrepareModernEngineEnvironment();
  QLibrary *lib = Module();
  if (!lib)
    return nullptr;
  auto create = reinterpret_cast<QmCreateWebEngineViewFn>(lib->resolve(QM_WEBENGINE_CREATE));
  auto *engine = new TModernEngine(parent, create);
  if (!engine->Widget()) {
    delete engine;
    return nullptr;
  }
  return engine;
#else
  Q_UNUSED(parent);
  return nullptr;
#endif
}

bool ModernEngineAvailable(QString *version) {
#ifdef QUILLMARK_WEBENGINE_MODULE
  // Only files are looked at here (start-up asks this); the module is loaded when the version is wanted.
  if (!QFileInfo(ModernEngineProcess()).isExecutable() || ModuleFile().isEmpty())
    return false;
  if (version) {
    QLibrary *lib = Module();
    if (!lib)
      return false;
    *version = QString::fromLatin1(reinterpret_cast<QmWebEngineVersionFn>(lib->resolve(QM_WEBENGINE_VERSION))());
  }
  return true;
#else
  Q_UNUSED(version);
  return false;
#endif
}
