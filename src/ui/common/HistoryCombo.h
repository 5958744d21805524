#pragma once
// Widgets over THistoryList: a menu that mirrors the entries as numbered items, and a combo box
// whose drop-down list is a history saved in the settings file.
#include "core/common/HListBox.h"

#include <QComboBox>
#include <QPointer>
#include <functional>

class QMenu;
class QAction;

// Mirrors a history as items of a menu (after the menu's own items and a separator), with
// optional copies in a second menu. A click reports the entry's index.
class THistoryMenu : public QObject {
  Q_OBJECT
public:
  THistoryMenu(THistoryList *list, QObject *parent = nullptr);
  void SetMenu(QMenu *menu, QMenu *menu2 = nullptr);
  void SetRadioMenu(bool radio);
  void SetShowHotKeys(bool show);
  bool SelectMenuItem(const QString &s); // checks the item of s; false when s is not listed
  QList<QAction *> Items() const { return FItems; }

signals:
  void AutoItemClick(QMenu *menu, const QString &text);
  void AutoItemClickIndex(QMenu *menu, int index);

private:
  void Rebuild();
  THistoryList *FList;
  QPointer<QMenu> FMenu, FMenu2;
  QList<QAction *> FItems, FItems2;
  QAction *FSeparator = nullptr;
  bool FRadio = false, FShowHotKeys = true;
  QString FCheckedItem;
};

class THistoryCombo : public QComboBox {
  Q_OBJECT
public:
  explicit THistoryCombo(QWidget *parent = nullptr);
  ~THistoryCombo() override;

  THistoryList *HistoryList() const { return FHistoryList; }
  int MaxItems() const { return FHistoryList->MaxLen(); }
  void SetMaxItems(int n) { FHistoryList->SetMaxLen(n); }
  bool AutoUpdate() const { return FAutoUpdate; }
  void SetAutoUpdate(bool on) { FAutoUpdate = on; }
  void SetEraseSection(bool on) { FEraseSection = on; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool on);
  bool Modified() const { return FModified; }

  void AddItem(const QString &s);
  void AddItemObject(const QString &s, const QVariant &object);
  void DeleteItem(const QString &s);
  int FindItem(const QString &text) const; // first entry beginning with text, ignoring case

  // Remembers file and section; loads when the file exists. Saved again when the box dies.
  void LoadFromIni(const QString &iniName, const QString &section);
  void LoadFromIni(const TUnicodeIniFile &ini, const QString &section);
  void SaveToIni(TUnicodeIniFile &ini, const QString &section, bool erase);
  void AssignList(const QStringList &list);

protected:
  void focusInEvent(QFocusEvent *e) override;
  void focusOutEvent(QFocusEvent *e) override;
  void showEvent(QShowEvent *e) override;

private:
  void Refresh();
  // Gives the box the look of FWantSimple (a style sheet: only when it changes and the box shows).
  void ApplyLook();
  THistoryList *FHistoryList;
  QString FIniFileName, FIniSection;
  bool FAutoUpdate = true, FEraseSection = false, FReadOnly = false, FModified = false;
  bool FSimpleLook = false; // the drop-down button hidden (no entries, or read-only)
  bool FWantSimple = false;
  QString FSaveText;
};
