#include "ui/keys/KeyDispatch.h"

#include "core/common/Translate.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QAction>
#include <QKeySequence>

namespace {
// Menu items that stand for an editor command show and follow its key.
const char *const CommandProperty = "qmCommand";
// The keys an action was made with besides its design key.
const char *const ExtraKeysProperty = "qmExtraKeys";

int CommandOfAction(const QAction *a) {
  const QVariant c = a->property(CommandProperty);
  return c.isValid() ? c.toInt() : a->data().toInt();
}

QKeySequence SequenceOf(TShortCut sc) {
  const QKeyCombination k = QtKeyOfShortCut(sc);
  return sc && k.key() != Qt::Key_unknown ? QKeySequence(k) : QKeySequence();
}

void MarkEditorCommands(TMDIForm *form) {
  const struct {
    const char *Name;
    int Command;
  } rows[] = {{"ActionCut", ecCut},
              {"ActionCopy", ecCopy},
              {"ActionPaste", ecPaste},
              {"pmiSelectWord", ecSelectWord}};
  for (const auto &r : rows)
    if (QAction *a = form->Action(QString::fromLatin1(r.Name)))
      a->setProperty(CommandProperty, r.Command);
  for (int n = 0; n < 10; ++n) {
    if (QAction *a = form->Action(QStringLiteral("ActionGotoBookmark%1").arg(n)))
      a->setProperty(CommandProperty, ecGotoMarker0 + n);
    if (QAction *a = form->Action(QStringLiteral("ActionSetBookmark%1").arg(n)))
      a->setProperty(CommandProperty, ecSetMarker0 + n);
  }
}

bool RunAction(QAction *a, bool run) {
  if (!a || !a->isEnabled())
    return false;
  if (run)
    a->trigger();
  return true;
}

// The commands the document runs itself: its actions (and the main window's), and the editor
// commands that have an action of their own.
bool RunDocumentCommand(TMDIForm *form, int command, bool run) {
  if (IsActionCommand(command))
    return RunAction(ActionOfCommand(form, command), run);
  switch (command) {
  case ecCut:
    return RunAction(form->ActionCut, run);
  case ecCopy:
    return RunAction(form->ActionCopy, run);
  case ecPaste:
    return RunAction(form->ActionPaste, run);
  case ecContextHelp: // the help action, wherever it is
    if (run)
      RunAction(ActionOfCommand(form, 2001), true);
    return true;
  case ecNormalSelect:
  case ecColumnSelect:
  case ecLineSelect:
    if (run) {
      form->TextBuffer->RunCommand(command);
      if (QAction *column = form->Action(QStringLiteral("ActionColumn")))
        column->setChecked(command == ecColumnSelect);
    }
    return true;
  default:
    return false;
  }
}
} // namespace

TLayoutActions LayoutActions(const QList<QAction *> &actions) {
  TLayoutActions out;
  for (const QAction *a : actions) {
    const int tag = a->data().toInt();
    const QString category = CategoryOfTag(tag);
    if (!IsActionCommand(tag) || category.isEmpty() || a->property(CommandProperty).isValid())
      continue;
    out.push_back({tag, DesignKeyOf(a->objectName()), _(category.toUtf8().constData()),
                   QString(a->toolTip()).remove(u'&')});
  }
  return out;
}

void UpdateKeyStrokes(const TSynEditKeyStrokes &ks, const QList<QAction *> &actions) {
  for (QAction *a : actions) {
    const int command = CommandOfAction(a);
    if (!command)
      continue;
    const int i = ks.FindCommand(command);
    if (i < 0)
      continue;
    if (!a->property(ExtraKeysProperty).isValid()) {
      QList<QKeySequence> extra = a->shortcuts();
      extra.removeAll(SequenceOf(a->property(CommandProperty).isValid() ? ks[i].ShortCut()
                                                                        : DesignKeyOf(a->objectName())));
      if (a->property(CommandProperty).isValid())
        extra.clear(); // the layout's key for the command is the one it was made with
      a->setProperty(ExtraKeysProperty, QVariant::fromValue(extra));
    }
    QList<QKeySequence> keys;
    if (const QKeySequence k = SequenceOf(ks[i].ShortCut()); !k.isEmpty())
      keys << k;
    for (const QKeySequence &k : a->property(ExtraKeysProperty).value<QList<QKeySequence>>()) {
      const TShortCut sc = ShortCutOfKeyPress({k[0].key(), k[0].keyboardModifiers(), 0});
      if (sc && ks.FindShortcut(sc) < 0 && !keys.contains(k))
        keys << k;
    }
    a->setShortcuts(keys);
  }
}

void SetKeyStrokes(TMDIForm *form, const TSynEditKeyStrokes &ks) {
  UpdateKeyStrokes(ks, form->ActionList);
  form->TextBuffer->SetKeyStrokes(ks);
}

QAction *ActionOfCommand(TMDIForm *form, int tag) {
  for (QAction *a : form->ActionList)
    if (a->data().toInt() == tag && !a->property(CommandProperty).isValid())
      return a;
  for (QWidget *w = form->parentWidget(); w; w = w->parentWidget())
    for (QAction *a : w->actions())
      if (a->data().toInt() == tag && !a->property(CommandProperty).isValid())
        return a;
  return nullptr;
}

void InstallKeyDispatch(TMDIForm *form, const TSynEditKeyStrokes *layout, bool layoutComing) {
  MarkEditorCommands(form);
  form->TextBuffer->CommandHook = [form](int command, bool run) {
    return RunDocumentCommand(form, command, run);
  };
  if (layout) {
    SetKeyStrokes(form, *layout);
    return;
  }
  if (layoutComing)
    return;
  TSynEditKeyStrokes ks;
  SetDefaultKeyStrokes(ks, {}, LayoutActions(form->ActionList));
  SetKeyStrokes(form, ks);
}
