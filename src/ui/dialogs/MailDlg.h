#pragma once
// The mail address dialog: a name part and a base address, each with its own history.
#include <QDialog>

class THistoryCombo;

class TMailAdrDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int MaxEntries = 20;

  explicit TMailAdrDialog(QWidget *parent = nullptr);

  // address in: split at its first "@" into the two fields. On OK address is name part + base
  // address (an "@" is added before a base address without one) and both texts head their
  // lists (at most MaxEntries each); Cancel changes nothing.
  bool Execute(QPoint pos, QStringList &names, QString &address, QStringList &bases);

private:
  void ShowArrows();
  THistoryCombo *hcName, *hcBase;
};
