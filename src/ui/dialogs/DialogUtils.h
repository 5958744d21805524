#pragma once
// Helpers shared by the small dialogs: placement at the caller's point, the OK/Cancel row, and
// colour values (0x00BBGGRR) as QColor.
#include <QColor>
#include <QPoint>

class QDialog;
class QDialogButtonBox;
class QPushButton;
class QWidget;

// Puts the dialog at pos kept inside the screen; the point (-1, -1) centres it on the screen.
void PlaceDialog(QWidget *dialog, QPoint pos);
inline bool HasPosition(QPoint pos) {
  return pos != QPoint(-1, -1);
}

// "OK" (default, accepts) and "Cancel" (rejects), named btnOk and btnCancel.
QDialogButtonBox *AddOkCancel(QDialog *dialog);
QPushButton *OkButton(QDialogButtonBox *box);

QColor ColorOfValue(quint32 value);
quint32 ValueOfColor(const QColor &color);
