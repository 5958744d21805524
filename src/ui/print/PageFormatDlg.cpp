#include "ui/print/PageFormatDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int MaxMarginMm = 100;
} // namespace

TPageFormatDialog::TPageFormatDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PageFormatDialog"));
  auto *lay = new QVBoxLayout(this);
  auto *top = new QHBoxLayout;
  lay->addLayout(top);

  auto *margins = new QGroupBox(_("Margins"), this);
  auto *form = new QFormLayout(margins);
  const auto spin = [this, form](const char *name, const char *caption) {
    auto *s = new QSpinBox(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, MaxMarginMm);
    s->setSuffix(QStringLiteral(" mm"));
    form->addRow(_(caption), s);
    return s;
  };
  edtLeft = spin("edtLeft", "Left:");
  edtRight = spin("edtRight", "Right:");
  edtTop = spin("edtTop", "Top:");
  edtBottom = spin("edtBottom", "Bottom:");
  edtGutter = spin("edtGutter", "Gutter:");
  cbxDuplex = new QCheckBox(_("Duplex print"), this);
  cbxDuplex->setObjectName(QStringLiteral("cbxDuplex"));
  form->addRow(cbxDuplex);
  top->addWidget(margins);

  auto *right = new QVBoxLayout;
  top->addLayout(right);
  auto *orientation = new QGroupBox(_("Orientation"), this);
  orientation->setObjectName(QStringLiteral("rgpOrientation"));
  auto *ol = new QVBoxLayout(orientation);
  rbPortrait = new QRadioButton(_("Portrait"), orientation);
  rbLandscape = new QRadioButton(_("Landscape"), orientation);
  ol->addWidget(rbPortrait);
  ol->addWidget(rbLandscape);
  right->addWidget(orientation);

  const auto check = [this, right](const char *name, const char *caption) {
    auto *c = new QCheckBox(_(caption), this);
    c->setObjectName(QString::fromLatin1(name));
    right->addWidget(c);
    return c;
  };
  cbxHeader = check("cbxHeader", "Print header");
  pnlHeader = new QWidget(this);
  pnlHeader->setObjectName(QStringLiteral("pnlHeader"));
  auto *hl = new QHBoxLayout(pnlHeader);
  hl->setContentsMargins(20, 0, 0, 0);
  hl->addWidget(new QLabel(_("Distance to text:"), pnlHeader));
  edtHeader = new QSpinBox(pnlHeader);
  edtHeader->setObjectName(QStringLiteral("edtHeader"));
  edtHeader->setRange(1, MaxMarginMm);
  edtHeader->setSuffix(QStringLiteral(" mm"));
  hl->addWidget(edtHeader);
  right->addWidget(pnlHeader);
  connect(cbxHeader, &QCheckBox::toggled, pnlHeader, &QWidget::setVisible);
  cbxLineNumbers = check("cbxLineNumbers", "Print line numbers");
  cbxWrapLines = check("cbxWrapLines", "Line break on long lines");
  cbxHighlight = check("cbxHighlight", "Syntax highlighting");
  cbxColorPrint = check("cbxColorPrint", "Color print");
  right->addStretch(1);
  AddOkCancel(this);
}

void TPageFormatDialog::Fill(const TPrintSettings &s) {
  edtLeft->setValue(s.LeftMargin);
  edtRight->setValue(s.RightMargin);
  edtTop->setValue(s.TopMargin);
  edtBottom->setValue(s.BottomMargin);
  edtGutter->setValue(s.Gutter);
  cbxDuplex->setChecked(s.Mirror);
  (s.Ori == 0 ? rbPortrait : rbLandscape)->setChecked(true);
  cbxHeader->setChecked(s.HtHeader > 0);
  edtHeader->setValue(s.HtHeader > 0 ? s.HtHeader : 5);
  pnlHeader->setVisible(s.HtHeader > 0);
  cbxLineNumbers->setChecked(s.LineNumbers);
  cbxWrapLines->setChecked(s.Wrap);
  cbxHighlight->setChecked(s.Highlight);
  cbxColorPrint->setChecked(s.Color);
}

void TPageFormatDialog::Store(TPrintSettings &s) const {
  s.LeftMargin = edtLeft->value();
  s.RightMargin = edtRight->value();
  s.TopMargin = edtTop->value();
  s.BottomMargin = edtBottom->value();
  s.Gutter = edtGutter->value();
  s.Mirror = cbxDuplex->isChecked();
  s.Ori = rbPortrait->isChecked() ? 0 : 1;
  s.HtHeader = cbxHeader->isChecked() ? edtHeader->value() : 0;
  s.LineNumbers = cbxLineNumbers->isChecked();
  s.Wrap = cbxWrapLines->isChecked();
  s.Highlight = cbxHighlight->isChecked();
  s.Color = cbxColorPrint->isChecked();
}

bool TPageFormatDialog::Execute(const QString &title, bool, TPrintSettings &settings) {
  setWindowTitle(title);
  Fill(settings);
  if (exec() != QDialog::Accepted)
    return false;
  Store(settings);
  return true;
}
