#include "ui/common/HistoryCombo.h"
#include "core/common/IniFileUtils.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>

THistoryMenu::THistoryMenu(THistoryList *list, QObject *parent) : QObject(parent), FList(list) {
  connect(FList, &THistoryList::Changed, this, &THistoryMenu::Rebuild);
}

void THistoryMenu::SetMenu(QMenu *menu, QMenu *menu2) {
  FMenu = menu;
  FMenu2 = menu2;
  Rebuild();
}
void THistoryMenu::SetRadioMenu(bool radio) {
  FRadio = radio;
  Rebuild();
}
void THistoryMenu::SetShowHotKeys(bool show) {
  FShowHotKeys = show;
  Rebuild();
}

bool THistoryMenu::SelectMenuItem(const QString &s) {
  const int i = FList->IndexOf(s);
  for (int k = 0; k < FItems.size(); ++k)
    FItems[k]->setChecked(k == i);
  FCheckedItem = i >= 0 ? FList->Item(i) : QString();
  return i >= 0;
}

void THistoryMenu::Rebuild() {
  for (QAction *a : FItems) {
    if (a->isChecked())
      FCheckedItem = FList->IndexOf(a->data().toString()) >= 0 ? a->data().toString() : QString();
    delete a;
  }
  FItems.clear();
  qDeleteAll(FItems2);
  FItems2.clear();
  delete FSeparator;
  FSeparator = nullptr;
  if (!FMenu)
    return;
  if (!FMenu->actions().isEmpty() && FList->Count() > 0)
    FSeparator = FMenu->addSeparator();
  for (int i = 0; i < FList->Count(); ++i) {
    const QString entry = FList->Item(i);
    QAction *a = FMenu->addAction(THistoryList::MenuCaption(i, entry, FShowHotKeys));
    a->setData(entry);
    a->setCheckable(FRadio);
    a->setChecked(FRadio && entry.compare(FCheckedItem, Qt::CaseInsensitive) == 0);
    connect(a, &QAction::triggered, this, [this, a] {
      if (FRadio)
        SelectMenuItem(a->data().toString());
      const int n = THistoryList::IndexOfCaption(a->text());
      if (n < 0)
        return;
      emit AutoItemClick(FMenu, FList->Item(n));
      emit AutoItemClickIndex(FMenu, n);
    });
    FItems << a;
    if (FMenu2) {
      QAction *c = FMenu2->addAction(a->text());
      c->setData(entry);
      c->setCheckable(a->isCheckable());
      c->setChecked(a->isChecked());
      connect(c, &QAction::triggered, a, &QAction::trigger);
      FItems2 << c;
    }
  }
}

THistoryCombo::THistoryCombo(QWidget *parent) : QComboBox(parent), FHistoryList(new THistoryList(this)) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(false);
  connect(FHistoryList, &THistoryList::Changed, this, &THistoryCombo::Refresh);
}

THistoryCombo::~THistoryCombo() {
  if (FIniFileName.isEmpty() || FIniSection.isEmpty())
    return;
  auto ini = TUnicodeIniFile::CreateForWrite(FIniFileName);
  SaveToIni(*ini, FIniSection, FEraseSection);
}

void THistoryCombo::SetReadOnly(bool on) {
  FReadOnly = on;
  if (lineEdit())
    lineEdit()->setReadOnly(on);
  Refresh();
}

void THistoryCombo::AddItem(const QString &s) { FHistoryList->AddString(s); }
void THistoryCombo::AddItemObject(const QString &s, const QVariant &object) {
  FHistoryList->AddStringObject(s, object);
}
void THistoryCombo::DeleteItem(const QString &s) { FHistoryList->RemString(s); }

int THistoryCombo::FindItem(const QString &text) const {
  for (int i = 0; i < FHistoryList->Count(); ++i)
    if (FHistoryList->Item(i).startsWith(text, Qt::CaseInsensitive))
      return i;
  return -1;
}

void THistoryCombo::LoadFromIni(const QString &iniName, const QString &section) {
  FIniFileName = iniName;
  FIniSection = section;
  if (QFileInfo::exists(iniName))
    FHistoryList->LoadFromIni(iniName, section);
}

void THistoryCombo::LoadFromIni(const TUnicodeIniFile &ini, const QString &section) {
  FHistoryList->LoadFromIni(ini, section);
}

void THistoryCombo::SaveToIni(TUnicodeIniFile &ini, const QString &section, bool erase) {
  FHistoryList->SaveToIni(ini, section, erase);
}

void THistoryCombo::AssignList(const QStringList &list) { FHistoryList->AssignList(list); }

void THistoryCombo::Refresh() {
  const QString text = currentText();
  blockSignals(true);
  clear();
  addItems(FHistoryList->Strings());
  setCurrentIndex(-1);
  setEditText(text);
  blockSignals(false);
  // Without entries (or read-only) there is nothing to drop down: no button then.
  FWantSimple = FHistoryList->Count() == 0 || FReadOnly;
  if (isVisible())
    ApplyLook();
  setMaxVisibleItems(std::max(1, FHistoryList->Count()));
}

void THistoryCombo::ApplyLook() {
  // A style sheet costs the box a new style and a polish: boxes on pages not shown yet (start-up
  // fills many) get theirs when they first show.
  if (FWantSimple == FSimpleLook)
    return;
  FSimpleLook = FWantSimple;
  setStyleSheet(FSimpleLook ? QStringLiteral("QComboBox::drop-down { width: 0px; border: none; }") : QString());
}

void THistoryCombo::showEvent(QShowEvent *e) {
  ApplyLook();
  QComboBox::showEvent(e);
}

void THistoryCombo::focusInEvent(QFocusEvent *e) {
  if (!FModified)
    FSaveText = currentText();
  QComboBox::focusInEvent(e);
}

void THistoryCombo::focusOutEvent(QFocusEvent *e) {
  FModified = currentText().compare(FSaveText, Qt::CaseInsensitive) != 0;
  if (FAutoUpdate)
    AddItem(currentText());
  QComboBox::focusOutEvent(e);
}
