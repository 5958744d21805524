// The main window's part of the keyboard layout: loading it at start-up, writing it at exit, the
// menu entries that edit and reset it, and handing it to the actions and the documents.
#include "core/common/Translate.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/keys/KeyDispatch.h"
#include "ui/keys/KeyboardDlg.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <memory>

namespace {
// A submenu found by its name below parent, else made there (the menus are shared with the other
// preference commands, whoever comes first).
QMenu *SubMenu(QWidget *parent, const QString &name, const QString &caption, QMenuBar *bar, QMenu *before) {
  if (QMenu *m = parent->findChild<QMenu *>(name))
    return m;
  auto *m = new QMenu(caption, parent);
  m->setObjectName(name);
  if (bar)
    before ? bar->insertMenu(before->menuAction(), m) : bar->addMenu(m);
  else
    static_cast<QMenu *>(parent)->addMenu(m);
  return m;
}
} // namespace

void THauptForm::BuildKeyLayout() {
  // A document window's commands, from an open document or else a window made only for that
  // (every document has the same ones).
  std::unique_ptr<TMDIForm> temp;
  const QList<TMDIForm *> docs = Documents();
  if (docs.isEmpty())
    temp.reset(new TMDIForm(this, nullptr, ftText));
  const TLayoutActions mainActions = LayoutActions(actions());
  const TLayoutActions docActions = LayoutActions(temp ? temp->ActionList : docs.first()->ActionList);
  temp.reset();
  VelmoCommands().Reset();
  AddActionCommands(VelmoCommands(), mainActions);
  AddActionCommands(VelmoCommands(), docActions);
  const QString file = Paths.KeyName();
  if (LoadKeyLayout(ActKeyStrokes, file, mainActions, docActions) == kfBadSize) {
    // The default layout replaces the file at exit; a copy of the damaged one stays beside it.
    QFile::remove(file + QStringLiteral(".damaged"));
    QFile::copy(file, file + QStringLiteral(".damaged"));
    qInfo("Key layout file %s does not fit its header; using the default layout", qPrintable(file));
  }
  FKeysReady = true;
  CreateKeyMenu();
  ApplyKeyStrokes();
}

void THauptForm::CreateKeyMenu() {
  if (findChild<QAction *>(QStringLiteral("itmEditLayout")))
    return;
  QMenu *prefs =
      SubMenu(menuBar(), QStringLiteral("itmPreferences"), _("&Preferences"), menuBar(), FHelpMenu);
  QMenu *editor = SubMenu(prefs, QStringLiteral("itmEditorPrefs"), _("&Editor"), nullptr, nullptr);
  QMenu *keyboard = SubMenu(editor, QStringLiteral("itmKeyboard"), _("Keyboard .."), nullptr, nullptr);
  QAction *edit = keyboard->addAction(_("&Edit layout ..."), this, [this] { EditKeyLayoutExecute(); });
  edit->setObjectName(QStringLiteral("itmEditLayout"));
  QAction *reset = keyboard->addAction(_("&Default layout ..."), this, [this] { DefaultKeyLayoutExecute(); });
  reset->setObjectName(QStringLiteral("itmDefaultLayout"));
}

void THauptForm::ApplyKeyStrokes() {
  UpdateKeyStrokes(ActKeyStrokes, actions());
  for (TMDIForm *doc : Documents())
    SetKeyStrokes(doc, ActKeyStrokes);
}

void THauptForm::EditKeyLayoutExecute() {
  bool ok;
  if (KeyboardDialogResponder) {
    ok = KeyboardDialogResponder(ActKeyStrokes);
  } else {
    TKeyboardDialog dlg(this);
    ok = dlg.Execute(ActKeyStrokes);
  }
  if (ok)
    ApplyKeyStrokes();
}

void THauptForm::DefaultKeyLayoutExecute() {
  TMDIForm *doc = ActiveDocument();
  if (!doc)
    return;
  if (!ConfirmBox(_("Reset keyboard layout to default?")))
    return;
  SetDefaultKeyStrokes(ActKeyStrokes, LayoutActions(actions()), LayoutActions(doc->ActionList));
  ApplyKeyStrokes();
}

bool THauptForm::WriteKeyLayout() {
  if (!FKeysReady)
    return true;
  QString error;
  if (ActKeyStrokes.SaveToFile(Paths.KeyName(), &error))
    return true;
  ErrorBox(Paths.KeyName() + u'\n' + error);
  return false;
}
