#pragma once
// Applying the keyboard layout to windows: the actions get the keys their commands have in the
// layout (shown in the menus), and the document's editor runs every key through the layout.
#include "core/keys/KeyLayout.h"

#include <QList>

class QAction;
class QWidget;
class TMDIForm;

// The actions of a list as the layout sees them (tag, design key, category, hint).
TLayoutActions LayoutActions(const QList<QAction *> &actions);
// Every action with a tag whose command has an entry takes the key of its first entry (none when
// 0); actions without entry keep theirs. Further keys an action was made with stay as long as
// no layout entry holds them.
void UpdateKeyStrokes(const TSynEditKeyStrokes &ks, const QList<QAction *> &actions);
// The document's actions and its editor take the layout.
void SetKeyStrokes(TMDIForm *form, const TSynEditKeyStrokes &ks);
// Connects the document's editor to its actions and to those of the windows around it, and gives
// it the layout (none: the default layout of its own actions, unless the caller gives it one
// right after: layoutComing).
void InstallKeyDispatch(TMDIForm *form, const TSynEditKeyStrokes *layout, bool layoutComing = false);
// The action with that tag among the document's actions, else among those of the windows that
// hold the document.
QAction *ActionOfCommand(TMDIForm *form, int tag);
