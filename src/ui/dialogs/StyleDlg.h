#pragma once
// The option dialog: one keyword out of a list (the values of a CSS property).
#include <QDialog>

class QLabel;
class QListWidget;

class TStyleDialog : public QDialog {
  Q_OBJECT
public:
  explicit TStyleDialog(QWidget *parent = nullptr);

  // items: comma text (items with blanks or commas in double quotes). The first item is
  // selected; on OK value is the selected item.
  bool Execute(QPoint pos, const QString &prompt, QString &value, const QString &items);

private:
  QLabel *lbPrompt;
  QListWidget *lbItems;
};
