#include "ui/common/Icons.h"
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <memory>

static void InitIconResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(resources);
    return true;
  }();
  (void)done;
}

namespace {

bool ThemeEnabled = true;

QString BundledPath(QLatin1String name) {
  return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

// The program's drawings, rendered straight from their SVG (no image or icon plugins to find
// and load first), each size and mode once.
class TSvgIconEngine final : public QIconEngine {
public:
  explicit TSvgIconEngine(QString path) : FPath(std::move(path)) {}

  void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, dpr));
  }
  QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    const QSize px = size * scale;
    const QString key = QStringLiteral("%1x%2-%3").arg(px.width()).arg(px.height()).arg(int(mode));
    if (const auto it = FCache.constFind(key); it != FCache.cend())
      return *it;
    QImage img(px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (!FRenderer)
      FRenderer = std::make_unique<QSvgRenderer>(FPath);
    if (FRenderer->isValid()) {
      QPainter p(&img);
      FRenderer->render(&p, QRectF(QPointF(0, 0), QSizeF(px)));
    }
    QPixmap pm = QPixmap::fromImage(img);
    if (mode != QIcon::Normal) {
      QStyleOption opt;
      opt.palette = QGuiApplication::palette();
      pm = QApplication::style()->generatedIconPixmap(mode, pm, &opt);
    }
    pm.setDevicePixelRatio(scale);
    return *FCache.insert(key, pm);
  }
  QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
  QIconEngine *clone() const override { return new TSvgIconEngine(FPath); }
  QString key() const override { return QStringLiteral("QuillmarkSvgIcon"); }
  bool isNull() override { return false; }

private:
  QString FPath;
  std::unique_ptr<QSvgRenderer> FRenderer;
  QHash<QString, QPixmap> FCache;
};

// Resolves the theme icon (or the bundled drawing) on the first request that needs pixels or
// sizes; until then it holds only two names. Copies of the icon share one engine, so an icon
// made once and handed to many actions is resolved once.
class TLazyIconEngine final : public QIconEngine {
public:
  // style: where the standard icon comes from (null: the application's style).
  TLazyIconEngine(QString themeName, QString bundledPath, bool bundledExists, int stylePixmap = -1,
                  const QStyle *style = nullptr)
      : FThemeName(std::move(themeName)), FBundledPath(std::move(bundledPath)), FBundledExists(bundledExists),
        FStylePixmap(stylePixmap), FStyle(style) {}

  void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override {
    Resolved().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
    return Resolved().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Resolved().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
    return Resolved().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Resolved().availableSizes(mode, state);
  }
  QIconEngine *clone() const override {
    auto *e = new TLazyIconEngine(FThemeName, FBundledPath, FBundledExists, FStylePixmap, FStyle);
    e->FIcon = FIcon;
    e->FResolved = FResolved;
    return e;
  }
  QString key() const override { return QStringLiteral("QuillmarkLazyIcon"); }
  QString iconName() override { return FThemeName; }
  // A bundled drawing is never null; without one only the theme can tell.
  bool isNull() override { return !FBundledExists && FStylePixmap < 0 && Resolved().isNull(); }

private:
  const QIcon &Resolved() {
    if (!FResolved) {
      FResolved = true;
      QIcon bundled = FBundledExists ? QIcon(new TSvgIconEngine(FBundledPath))
                      : FStylePixmap >= 0
                          ? (FStyle ? FStyle.data() : QApplication::style())
                                ->standardIcon(QStyle::StandardPixmap(FStylePixmap))
                          : QIcon();
      FIcon = ThemeEnabled && !FThemeName.isEmpty() ? QIcon::fromTheme(FThemeName, bundled) : bundled;
    }
    return FIcon;
  }

  QString FThemeName, FBundledPath;
  bool FBundledExists;
  int FStylePixmap;
  QPointer<const QStyle> FStyle;
  QIcon FIcon;
  bool FResolved = false;
};

// One icon per (theme name, bundled name), shared by every action that shows it.
QIcon CachedIcon(const char *themeName, const char *bundledName) {
  InitIconResources();
  static QHash<QByteArray, QIcon> cache;
  const QByteArray key = QByteArray(themeName ? themeName : "") + '|' + (bundledName ? bundledName : "");
  auto it = cache.find(key);
  if (it != cache.end())
    return *it;
  const QString path = bundledName && *bundledName ? BundledPath(QLatin1String(bundledName)) : QString();
  const bool exists = !path.isEmpty() && QFile::exists(path);
  QIcon icon;
  if (exists || (themeName && *themeName))
    icon = QIcon(new TLazyIconEngine(QString::fromLatin1(themeName ? themeName : ""), path, exists));
  return *cache.insert(key, icon);
}

// Theme icons: the name the desktop's theme knows, and the bundled drawing standing in for it.
// Program drawings: no theme name, only the drawing.
struct TIconRow {
  const char *Name;  // object name of the action or tool button
  const char *Theme; // freedesktop name, or nullptr for the program's own drawing
  const char *Bundled;
};

constexpr TIconRow IconRows[] = {
    // Main window
    {"ActionNewHtml", nullptr, "filetype-html"},
    {"ActionNewCss", nullptr, "filetype-css"},
    {"ActionNewJs", nullptr, "filetype-js"},
    {"ActionNewPhp", nullptr, "filetype-php"},
    {"ActionNewVbs", nullptr, "filetype-vbs"},
    {"ActionNewPerl", nullptr, "filetype-perl"},
    {"ActionNewText", nullptr, "filetype-text"},
    {"ActionOpen", "document-open", "document-open"},
    {"ActionSave", "document-save", "document-save"},
    {"ActionSaveAs", "document-save-as", "document-save"},
    {"ActionSaveAll", "document-save-all", "document-save-all"},
    {"ActionClose", "document-close", "document-close"},
    {"ActionExit", "application-exit", "application-exit"},
    {"ActionAbout", "help-about", "help-contents"},
    {"ActionShowHelp", "help-contents", "help-contents"},
    {"ActionPrint", "document-print", "document-print"},
    {"ActionPreview", "document-print-preview", "document-print-preview"},
    {"ActionSettings", "preferences-system", "preferences-system"},
    {"ActionOptions", "preferences-system", "preferences-system"},
    // Document window: editing
    {"ActionUndo", "edit-undo", "edit-undo"},
    {"ActionRedo", "edit-redo", "edit-redo"},
    {"ActionCut", "edit-cut", "edit-cut"},
    {"ActionCopy", "edit-copy", "edit-copy"},
    {"ActionPaste", "edit-paste", "edit-paste"},
    {"ActionFind", "edit-find", "edit-find"},
    {"ActionReplace", "edit-find-replace", "edit-find-replace"},
    {"ActionFindNext", "go-down-search", "edit-find-next"},
    // Document window: insert commands
    {"ActionBold", nullptr, "format-text-bold"},
    {"ActionStrong", nullptr, "format-text-bold"},
    {"ActionItalic", nullptr, "format-text-italic"},
    {"ActionEmp", nullptr, "format-text-italic"},
    {"ActionULine", nullptr, "format-text-underline"},
    {"tbtnFontsHeadings", nullptr, "insert-heading"},
    {"ActionSection", nullptr, "insert-paragraph"},
    {"ActionNewline", nullptr, "insert-line-break"},
    {"ActionFixSpace", nullptr, "insert-nbsp"},
    {"ActionComment", nullptr, "insert-comment"},
    {"ActionLink", nullptr, "insert-link"},
    {"ActionTarget", nullptr, "insert-anchor"},
    {"ActionImage", nullptr, "insert-image"},
    {"ActionImageMap", nullptr, "insert-image-map"},
    {"ActionNewTable", nullptr, "insert-table"},
    {"ActionTable", nullptr, "insert-table"},
    {"ActionTabRow", nullptr, "insert-table-row"},
    {"ActionTabData", nullptr, "insert-table-cell"},
    {"ActionTabTitle", nullptr, "insert-table-cell"},
    {"ActionUList", nullptr, "format-list-unordered"},
    {"ActionNList", nullptr, "format-list-ordered"},
    {"ActionListItem", nullptr, "insert-list-item"},
    {"ActionColor", nullptr, "insert-color"},
    {"ActionFontColor", nullptr, "insert-color"},
    {"ActionForm", nullptr, "insert-form"},
    {"ActionInputText", nullptr, "insert-input"},
    {"ActionHorLine", nullptr, "insert-horizontal-rule"},
    {"ActionDiv", nullptr, "insert-div"},
    {"ActionSpan", nullptr, "insert-div"},
    {"ActionStyles", nullptr, "insert-css-rule"},
    {"ActionStylesHtml", nullptr, "insert-css-rule"},
    {"ActionStylesInclude", nullptr, "insert-style-link"},
    {"ActionJSBody", nullptr, "insert-script"},
    {"ActionJSInclude", nullptr, "insert-script"},
};

const QHash<QString, const TIconRow *> &IconIndex() {
  static const QHash<QString, const TIconRow *> index = [] {
    QHash<QString, const TIconRow *> h;
    for (const TIconRow &r : IconRows)
      h.insert(QString::fromLatin1(r.Name), &r);
    return h;
  }();
  return index;
}

} // namespace

QIcon ThemedIcon(const char *freedesktopName, const char *fallback) {
  return CachedIcon(freedesktopName, fallback && *fallback ? fallback : freedesktopName);
}

QIcon ThemedIcon(const char *freedesktopName, QStyle::StandardPixmap styleFallback) {
  InitIconResources();
  const QString path = BundledPath(QLatin1String(freedesktopName));
  const bool exists = QFile::exists(path);
  return QIcon(new TLazyIconEngine(QString::fromLatin1(freedesktopName), exists ? path : QString(), exists,
                                   exists ? -1 : int(styleFallback)));
}

bool HasBundledIcon(const char *name) {
  InitIconResources();
  return name && *name && QFile::exists(BundledPath(QLatin1String(name)));
}

QIcon BundledIcon(const char *name) {
  return CachedIcon(nullptr, name);
}

QIcon FileTypeIcon(TFileTypes fileType) {
  static const std::array<const char *, FileTypeCount + 1> names = {
      "filetype-html", "filetype-css",  "filetype-js",   "filetype-php",
      "filetype-vbs",  "filetype-perl", "filetype-text", "filetype-none"};
  const int i = fileType >= 0 && fileType <= ftNone ? int(fileType) : int(ftNone);
  return BundledIcon(names[i]);
}

QIcon ActionIcon(QStringView objectName) {
  const TIconRow *r = IconIndex().value(objectName.toString());
  return r ? CachedIcon(r->Theme, r->Bundled) : QIcon();
}

void ApplyActionIcons(QWidget *root) {
  const auto &index = IconIndex();
  for (QAction *a : root->actions())
    if (const TIconRow *r = index.value(a->objectName()))
      a->setIcon(CachedIcon(r->Theme, r->Bundled));
  for (QToolButton *b : root->findChildren<QToolButton *>())
    if (!b->defaultAction() && !b->objectName().isEmpty())
      if (const TIconRow *r = index.value(b->objectName()))
        b->setIcon(CachedIcon(r->Theme, r->Bundled));
}

void SetThemeIconsEnabled(bool enabled) {
  ThemeEnabled = enabled;
}

namespace {
// The style's standard icons (a tool bar's extension arrow, a dialog's buttons, a file dialog's
// folders) made when first painted: most are never painted, and each costs image or theme
// look-ups when made.
class TLazyIconStyle final : public QProxyStyle {
public:
  using QProxyStyle::QProxyStyle;
  QIcon standardIcon(StandardPixmap sp, const QStyleOption *option, const QWidget *widget) const override {
    // The widget and option only say who asks (the drawings do not depend on them here).
    Q_UNUSED(option);
    Q_UNUSED(widget);
    return QIcon(new TLazyIconEngine(QString(), QString(), false, int(sp), baseStyle()));
  }
};
} // namespace

void InstallLazyStandardIcons() {
  QApplication::setStyle(new TLazyIconStyle(QApplication::style()->name()));
}
