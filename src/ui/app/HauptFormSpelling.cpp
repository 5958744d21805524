// The main window's part of spell checking: loading the dictionaries at start-up, the global
// dictionary language and the choice of dictionaries to load.
#include "core/common/Translate.h"
#include "core/editor/SpellCheck.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"

#include <QActionGroup>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

void THauptForm::LoadDictionaries() {
  FSpellCheck = std::make_unique<TSynEditSpellCheck>();
  FSpellCheck->UseUserDictionary = true;
  // The user's word lists live beside the settings file.
  FSpellCheck->SetUserDictPath(QFileInfo(Paths.IniName).absolutePath());
  FSpellCheck->OnError = [](const QString &message) { ErrorBox(message); };
  FSpellCheck->LoadDictionaries(TSynEditSpellCheck::DefaultFolders(Paths.DictPath), Settings.DictionaryIds);

  QMenu *menu = new QMenu(_("&Spelling"), this);
  menu->setObjectName(QStringLiteral("itmSpelling"));
  QAction *dicts = menu->addAction(_("Dictionaries .."));
  dicts->setObjectName(QStringLiteral("ActionDictionaries"));
  connect(dicts, &QAction::triggered, this, &THauptForm::DictionariesExecute);
  FDictLangMenu = menu->addMenu(_("Dictionary &language"));
  FDictLangMenu->setObjectName(QStringLiteral("itmDictLang"));
  FillDictLangMenu();
  menuBar()->insertMenu(FHelpMenu->menuAction(), menu);
}

void THauptForm::FillDictLangMenu() {
  FDictLangMenu->clear();
  auto *group = new QActionGroup(FDictLangMenu);
  QList<QPair<QString, quint32>> langs = FSpellCheck->GetDictLanguages();
  langs.prepend({_("&None"), 0});
  bool any = false;
  for (const auto &[name, id] : langs) {
    QAction *a = FDictLangMenu->addAction(name);
    a->setData(id);
    a->setCheckable(true);
    a->setChecked(int(id) == Settings.DictLangId);
    any = any || a->isChecked();
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, lang = id] { Settings.DictLangId = int(lang); });
  }
  if (!any)
    FDictLangMenu->actions().first()->setChecked(true);
}

void THauptForm::DictionariesExecute() {
  QDialog dlg(this);
  dlg.setWindowTitle(windowTitle());
  dlg.setObjectName(QStringLiteral("SelectItemsDialog"));
  auto *layout = new QVBoxLayout(&dlg);
  layout->addWidget(new QLabel(_("Select dictionaries to be loaded"), &dlg));
  layout->addWidget(new QLabel(_("Languages"), &dlg));
  auto *list = new QListWidget(&dlg);
  for (const TDictionaryProps &p : FSpellCheck->Dictionaries()) {
    auto *item = new QListWidgetItem(TSynEditSpellCheck::GetLanguageName(p.Id), list);
    item->setData(Qt::UserRole, p.Id);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on = Settings.DictionaryIds.isEmpty() || Settings.DictionaryIds.contains(int(p.Id));
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  layout->addWidget(list);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  const auto checkAll = [list](bool on) {
    for (int i = 0; i < list->count(); ++i)
      list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  };
  connect(buttons->addButton(_("Select all"), QDialogButtonBox::ActionRole), &QPushButton::clicked, &dlg,
          [checkAll] { checkAll(true); });
  connect(buttons->addButton(_("Select none"), QDialogButtonBox::ActionRole), &QPushButton::clicked, &dlg,
          [checkAll] { checkAll(false); });
  connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  layout->addWidget(buttons);
  if (dlg.exec() != QDialog::Accepted)
    return;
  QList<int> ids;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked)
      ids << list->item(i)->data(Qt::UserRole).toInt();
  Settings.DictionaryIds = ids;
  if (ConfirmBox(_("To change the selection of dictionaries, the program must be restarted!")))
    RestartProgram();
}
