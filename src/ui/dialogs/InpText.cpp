#include "ui/dialogs/InpText.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Selects the whole content whenever the field is entered.
class TSelectAllEdit : public QLineEdit {
public:
  using QLineEdit::QLineEdit;

protected:
  void focusInEvent(QFocusEvent *e) override {
    QLineEdit::focusInEvent(e);
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
  }
};
} // namespace

TTextEingabe::TTextEingabe(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TextEingabe"));
  auto *layout = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  for (int i = 0; i < 2; ++i) {
    lbText[i] = new QLabel(this);
    edText[i] = new TSelectAllEdit(this);
    edText[i]->setObjectName(QStringLiteral("edText%1").arg(i + 1));
    lbText[i]->setBuddy(edText[i]);
    grid->addWidget(lbText[i], 0, i);
    grid->addWidget(edText[i], 1, i);
  }
  layout->addLayout(grid);
  layout->addWidget(AddOkCancel(this));
}

bool TTextEingabe::Run(QPoint pos, const QString &title, const QString &label1, QString &text1,
                       const QString &label2, QString *text2) {
  setWindowTitle(title);
  const bool two = text2 != nullptr;
  lbText[0]->setText(label1);
  edText[0]->setText(text1);
  if (two) {
    lbText[1]->setText(label2);
    edText[1]->setText(*text2);
    // At least this wide, and wider with the dialog (a dialog used for one field before keeps
    // no limit from it).
    for (QLineEdit *e : edText) {
      e->setMinimumWidth(166);
      e->setMaximumWidth(QWIDGETSIZE_MAX);
    }
  } else {
    edText[0]->setMinimumWidth(340);
    edText[0]->setMaximumWidth(QWIDGETSIZE_MAX);
  }
  lbText[1]->setVisible(two);
  edText[1]->setVisible(two);
  edText[0]->setFocus();
  edText[0]->selectAll();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  text1 = edText[0]->text();
  if (two)
    *text2 = edText[1]->text();
  return true;
}

bool TTextEingabe::Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                           QWidget *parent) {
  TTextEingabe dlg(parent);
  return dlg.Run(pos, title, label, text, QString(), nullptr);
}

bool TTextEingabe::Execute(QPoint pos, const QString &title, const QString &label1, QString &text1,
                           const QString &label2, QString &text2, QWidget *parent) {
  TTextEingabe dlg(parent);
  return dlg.Run(pos, title, label1, text1, label2, &text2);
}
