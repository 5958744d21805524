#include "ui/dialogs/DialogUtils.h"
#include "core/common/Translate.h"
#include "core/dialogs/Colors.h"
#include "ui/common/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

void PlaceDialog(QWidget *dialog, QPoint pos) {
  dialog->adjustSize();
  const QSize size = dialog->frameGeometry().size().expandedTo(dialog->size());
  if (HasPosition(pos)) {
    KeepWindowOnScreen(dialog, pos);
    return;
  }
  QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return;
  const QRect r = screen->availableGeometry();
  dialog->move(r.center() - QPoint(size.width() / 2, size.height() / 2));
}

QDialogButtonBox *AddOkCancel(QDialog *dialog) {
  auto *box = new QDialogButtonBox(dialog);
  // The style's own buttons (icons where the desktop shows them), in the desktop's order.
  QPushButton *ok = box->addButton(QDialogButtonBox::Ok);
  ok->setText(_("OK"));
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  QPushButton *cancel = box->addButton(QDialogButtonBox::Cancel);
  cancel->setText(_("Cancel"));
  cancel->setObjectName(QStringLiteral("btnCancel"));
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QPushButton *OkButton(QDialogButtonBox *box) {
  return box->findChild<QPushButton *>(QStringLiteral("btnOk"));
}

QColor ColorOfValue(quint32 value) {
  return QColor(ColorRed(value), ColorGreen(value), ColorBlue(value));
}

quint32 ValueOfColor(const QColor &color) {
  return RgbToColor(color.red(), color.green(), color.blue());
}
