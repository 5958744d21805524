#include "ui/shell/RemoveTagsDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

TRemoveTagsDialog::TRemoveTagsDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RemoveTagsDialog"));
  setWindowTitle(_("Options for removing HTML tags"));
  auto *lay = new QVBoxLayout(this);
  const auto check = [this](QLayout *l, const char *name, const char *caption) {
    auto *c = new QCheckBox(_(caption), this);
    c->setObjectName(QString::fromLatin1(name));
    l->addWidget(c);
    return c;
  };
  auto *keep = new QGroupBox(_("Keep line breaks from"), this);
  auto *kl = new QVBoxLayout(keep);
  cbParagraph = check(kl, "cbParagraph", "Paragraphs <p>");
  cbNewline = check(kl, "cbNewline", "Newline <br>");
  cbHeadLine = check(kl, "cbHeadLine", "Headlines <h?>");
  cbListLine = check(kl, "cbListLine", "Lists <li, dt, dd>");
  cbTableData = check(kl, "cbTableData", "Tables <td>");
  lay->addWidget(keep);
  auto *format = new QGroupBox(_("Line formatting"), this);
  auto *fl = new QVBoxLayout(format);
  cbExtraLine = check(fl, "cbExtraLine", "Insert empty line after paragraph");
  cbWrap = check(fl, "cbWrap", "Wrap lines");
  auto *len = new QHBoxLayout;
  len->addWidget(new QLabel(_("Line length:"), this));
  edLineLength = new QSpinBox(this);
  edLineLength->setObjectName(QStringLiteral("edLineLength"));
  edLineLength->setRange(TRemoveTagsOptions::MinLineLength, TRemoveTagsOptions::MaxLineLength);
  len->addWidget(edLineLength);
  len->addStretch(1);
  fl->addLayout(len);
  lay->addWidget(format);
  connect(cbWrap, &QCheckBox::toggled, edLineLength, &QWidget::setEnabled);
  AddOkCancel(this);
}

void TRemoveTagsDialog::Fill(const TRemoveTagsOptions &o) {
  cbWrap->setChecked(o.Wrap);
  cbParagraph->setChecked(o.UseParagraph);
  cbNewline->setChecked(o.UseNewline);
  cbHeadLine->setChecked(o.UseHeadLine);
  cbListLine->setChecked(o.UseListLine);
  cbTableData->setChecked(o.UseTableData);
  cbExtraLine->setChecked(o.ExtraLine);
  edLineLength->setValue(o.LineLength);
  edLineLength->setEnabled(o.Wrap);
}

void TRemoveTagsDialog::Store(TRemoveTagsOptions &o) const {
  o.Wrap = cbWrap->isChecked();
  o.UseParagraph = cbParagraph->isChecked();
  o.UseNewline = cbNewline->isChecked();
  o.UseHeadLine = cbHeadLine->isChecked();
  o.UseListLine = cbListLine->isChecked();
  o.UseTableData = cbTableData->isChecked();
  o.ExtraLine = cbExtraLine->isChecked();
  o.LineLength = edLineLength->value();
}

bool TRemoveTagsDialog::Execute(TRemoveTagsOptions &options) {
  Fill(options);
  if (exec() != QDialog::Accepted)
    return false;
  Store(options);
  return true;
}
