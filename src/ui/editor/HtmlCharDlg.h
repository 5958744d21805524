#pragma once
// The entity dialog: the groups of the entity table and, for the chosen group, its characters
// by description; OK gives the entity text to insert.
#include <QDialog>

class QComboBox;
class QTreeWidget;
class TEntityTable;

class THtmlCharDialog : public QDialog {
  Q_OBJECT
public:
  explicit THtmlCharDialog(const TEntityTable &table, QWidget *parent = nullptr);

  // pos.x() > 0 places the dialog there (kept on the screen). On OK html is the chosen entity.
  // Without a loaded table an error says so and the result is false.
  bool Execute(QPoint pos, QString &html);

  QComboBox *cbGroups;
  QTreeWidget *lvChars;

private:
  void FillGroups();
  void ShowGroup(int index);
  const TEntityTable &FTable;
};
