#include "ui/dialogs/SelectColorDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

TColorPanel::TColorPanel(QWidget *parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setFixedSize(31, 21);
  setAutoFillBackground(true);
  SetColor(0);
}

void TColorPanel::SetColor(quint32 color) {
  FColor = color;
  QPalette p = palette();
  p.setColor(QPalette::Window, ColorOfValue(color));
  setPalette(p);
  setToolTip(u'#' + ColorToHex(color));
}

void TColorPanel::SetEmpty() {
  QPalette p = palette();
  p.setColor(QPalette::Window, p.color(QPalette::Button));
  setPalette(p);
  setToolTip(QString());
}

void TColorPanel::mousePressEvent(QMouseEvent *e) {
  if (e->button() == Qt::LeftButton)
    emit Clicked(FColor);
  QFrame::mousePressEvent(e);
}

TSelectColorDialog::TSelectColorDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SelectColorDialog"));
  setWindowTitle(_("Select color"));
  auto *layout = new QVBoxLayout(this);

  // The two colour fields keep their fixed grid of 31 x 21 panels.
  auto *fields = new QWidget(this);
  fields->setFixedSize(10 + 35 * 8, 110 + 25 * 2);
  auto *basic = new QLabel(_("Basic colors:"), fields);
  basic->move(10, 8);
  auto *additional = new QLabel(_("Additional colors:"), fields);
  additional->move(10, 88);
  for (int i = 0; i < ColorListSize; ++i) {
    const int x = 10 + 35 * (i % 8);
    StdColPanels[i] = new TColorPanel(fields);
    StdColPanels[i]->setObjectName(QStringLiteral("StdColPanel%1").arg(i));
    StdColPanels[i]->move(x, 30 + 25 * (i / 8));
    StdColPanels[i]->SetColor(BasicColors[i]);
    SpecColPanels[i] = new TColorPanel(fields);
    SpecColPanels[i]->setObjectName(QStringLiteral("SpecColPanel%1").arg(i));
    SpecColPanels[i]->move(x, 110 + 25 * (i / 8));
    connect(StdColPanels[i], &TColorPanel::Clicked, this, &TSelectColorDialog::Choose);
    connect(SpecColPanels[i], &TColorPanel::Clicked, this, &TSelectColorDialog::Choose);
  }
  layout->addWidget(fields);

  auto *row = new QHBoxLayout;
  row->addWidget(new QLabel(_("Selection:"), this));
  pnlColor = new TColorPanel(this);
  pnlColor->setObjectName(QStringLiteral("pnlColor"));
  pnlColor->setFixedSize(66, 21);
  row->addWidget(pnlColor);
  cbNoColor = new QCheckBox(_("no color"), this);
  cbNoColor->setObjectName(QStringLiteral("cbNoColor"));
  connect(cbNoColor, &QCheckBox::toggled, this, &TSelectColorDialog::ShowSelection);
  row->addWidget(cbNoColor);
  row->addStretch();
  layout->addLayout(row);

  btnSelectColor = new QPushButton(_("Select other color"), this);
  btnSelectColor->setObjectName(QStringLiteral("btnSelectColor"));
  btnSelectColor->setAutoDefault(false);
  connect(btnSelectColor, &QPushButton::clicked, this, &TSelectColorDialog::SelectOtherColor);
  layout->addWidget(btnSelectColor);
  layout->addWidget(AddOkCancel(this));
}

void TSelectColorDialog::Choose(quint32 color) {
  FCol = color;
  cbNoColor->setChecked(false);
  ShowSelection();
}

void TSelectColorDialog::ShowSelection() {
  if (cbNoColor->isChecked())
    pnlColor->SetEmpty();
  else
    pnlColor->SetColor(FCol);
}

void TSelectColorDialog::ShowList() {
  for (int i = 0; i < ColorListSize; ++i)
    SpecColPanels[i]->SetColor(FList[i]);
}

void TSelectColorDialog::SelectOtherColor() {
  for (int i = 0; i < ColorListSize; ++i)
    QColorDialog::setCustomColor(i, ColorOfValue(FList[i]));
  QColorDialog dlg(ColorOfValue(FCol == NoColor ? 0 : FCol), this);
  dlg.setObjectName(QStringLiteral("ColorDialog"));
  dlg.setWindowTitle(windowTitle());
  // Native colour dialogs may not offer the custom slots, and the additional colours come from them.
  dlg.setOption(QColorDialog::DontUseNativeDialog);
  if (dlg.exec() != QDialog::Accepted)
    return;
  for (int i = 0; i < ColorListSize; ++i)
    FList[i] = ValueOfColor(QColorDialog::customColor(i));
  ShowList();
  Choose(ValueOfColor(dlg.selectedColor()));
}

bool TSelectColorDialog::Execute(QPoint pos, const QString &title, TColorList &list, quint32 &color) {
  setWindowTitle(title.isEmpty() ? _("Select color") : title);
  FList = list;
  ShowList();
  FCol = color;
  cbNoColor->setChecked(color == NoColor);
  ShowSelection();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  list = FList;
  color = cbNoColor->isChecked() ? NoColor : FCol;
  return true;
}

bool SelectColorAt(QPoint pos, const QString &title, TColorList &list, quint32 &color, QWidget *parent) {
  TSelectColorDialog dlg(parent);
  return dlg.Execute(pos, title, list, color);
}
