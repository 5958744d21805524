#include "ui/preview/PreviewEngine.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTimer>
#include <QTextBrowser>
#include <QTextDocument>
#include <unistd.h>

namespace {

// The text browser applies linked style sheets only when their type is given, which pages today
// leave out; the page is handed over with the type added to such links.
class TTextView : public QTextBrowser {
public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl &name) override {
    const QVariant data = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || data.userType() != QMetaType::QByteArray)
      return data;
    const QByteArray bytes = data.toByteArray();
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    QString text = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
    static const QRegularExpression link(QStringLiteral("<link\\b(?=[^>]*\\brel\\s*=\\s*[\"']?stylesheet)(?![^>]*\\btype\\s*=)"),
                                         QRegularExpression::CaseInsensitiveOption);
    text.replace(link, QStringLiteral("<link type=\"text/css\""));
    return text;
  }
};

class TClassicEngine : public TPreviewEngine {
public:
  explicit TClassicEngine(QWidget *parent) : TPreviewEngine(parent), FView(new TTextView(parent)) {
    FView->setObjectName(QStringLiteral("WebBrowser"));
    FView->setOpenLinks(true);
    // Web addresses are beyond this engine: the desktop's browser opens them.
    FView->setOpenExternalLinks(true);
    for (QScrollBar *bar : {FView->verticalScrollBar(), FView->horizontalScrollBar()}) {
      connect(bar, &QScrollBar::rangeChanged, this, [this] { RestorePlace(); });
      // The user scrolling after a reload has the last word.
      connect(bar, &QScrollBar::actionTriggered, this, [this] { FPendingX = FPendingY = -1; });
    }
    connect(FView, &QTextBrowser::sourceChanged, this, [this](const QUrl &u) {
      emit UrlChanged(u);
      emit LoadFinished(true);
    });
  }
  ~TClassicEngine() override { delete FView; }
  QWidget *Widget() const override { return FView; }
  bool IsModern() const override { return false; }
  void Navigate(const QUrl &url) override {
    if (!url.isLocalFile() && url.scheme() != QLatin1String("qrc")) {
      QDesktopServices::openUrl(url);
      return;
    }
    if (url.adjusted(QUrl::RemoveFragment) == FView->source().adjusted(QUrl::RemoveFragment) &&
        !url.hasFragment()) {
      Reload();
      return;
    }
    FView->setSource(url);
  }
  void Back() override { FView->backward(); }
  void Forward() override { FView->forward(); }
  void Reload() override {
    if (FView->source().isEmpty())
      return;
    // A refresh that comes while the last one is still being laid out keeps the place that one is
    // heading for, not where the half-laid-out page happens to stand.
    const int y = FPendingY >= 0 ? FPendingY : FView->verticalScrollBar()->value();
    const int x = FPendingX >= 0 ? FPendingX : FView->horizontalScrollBar()->value();
    // Images and style sheets are kept by the document: drop them so that changed files show.
    FView->clearHistory();
    FView->document()->clear();
    FView->reload();
    // The new text is laid out in steps: the place is taken once the page is long enough again
    // (or as far as it goes, when it became shorter). On a busy machine the steps take a while.
    FPendingX = x;
    FPendingY = y;
    RestorePlace();
    QTimer::singleShot(2000, this, [this, reload = ++FReloads] {
      if (reload == FReloads)
        FPendingX = FPendingY = -1;
    });
  }
  QUrl Url() const override { return FView->source(); }
  void RestorePlace() {
    if (FPendingY >= 0) {
      FView->verticalScrollBar()->setValue(FPendingY);
      if (FView->verticalScrollBar()->value() == FPendingY)
        FPendingY = -1;
    }
    if (FPendingX >= 0) {
      FView->horizontalScrollBar()->setValue(FPendingX);
      if (FView->horizontalScrollBar()->value() == FPendingX)
        FPendingX = -1;
    }
  }
  void PageText(const std::function<void(const QString &)> &done) override { done(FView->toPlainText()); }
  void RunScript(const QString &, const std::function<void(const QVariant &)> &done) override { done({}); }

private:
  QTextBrowser *FView;
  int FPendingX = -1, FPendingY = -1;
  int FReloads = 0;
};

} // namespace

TPreviewEngine *CreateClassicEngine(QWidget *parent) { return new TClassicEngine(parent); }

QString ModernEngineProcess() {
  const QByteArray given = qgetenv("QTWEBENGINE_PROCESS_PATH");
  if (!given.isEmpty())
    return QString::fromLocal8Bit(given);
  return QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
}

void PrepareModernEngineEnvironment() {
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu"))
      qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --disable-gpu").trimmed());
  }
}
