#pragma once
// The program's icons. Standard actions take the desktop's icon theme (freedesktop names) and
// fall back to the drawings bundled in the resources (data/icons), so they show on a bare system
// too. The theme is looked up only when an icon is first painted, so creating actions with icons
// costs next to nothing at start-up. The program's own drawings (insert commands, file types) are
// plain SVG resources, also rendered only when first painted.
#include "core/common/Types.h"
#include <QIcon>
#include <QStyle>

class QWidget;

// freedesktopName: the icon theme name ("document-save"). fallback: the base name of the bundled
// drawing (":/icons/<fallback>.svg"); nullptr or "" means the same name as the theme icon.
QIcon ThemedIcon(const char *freedesktopName, const char *fallback = nullptr);
// As above, with the style's standard icon where no drawing of that name is bundled.
QIcon ThemedIcon(const char *freedesktopName, QStyle::StandardPixmap styleFallback);

// The program's own drawing ":/icons/<name>.svg"; a null icon when there is none.
QIcon BundledIcon(const char *name);
bool HasBundledIcon(const char *name);

// The icon of a file type for tabs, the New menu and the tool button (a plain page for ftNone).
QIcon FileTypeIcon(TFileTypes fileType);

// Gives the actions of root (and root's tool buttons that open a submenu) the icons of the
// program's one icon table, found by object name; actions not in the table keep what they have.
// Only names are stored: nothing is read or drawn until an icon is first painted.
void ApplyActionIcons(QWidget *root);
// The icon the table gives an action or tool button name (null when it has none).
QIcon ActionIcon(QStringView objectName);

// The application style's standard icons are made when first painted (start-up makes many that
// are never shown). Called once after the application object exists.
void InstallLazyStandardIcons();

// Tests: turns theme look-ups off, so only the bundled drawings are used (as on a bare system).
void SetThemeIconsEnabled(bool enabled);
