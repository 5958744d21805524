#include "ui/dialogs/FileSizeDlg.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QGroupBox *RadioGroup(QWidget *parent, const QString &title, QRadioButton *&a, const char *aName,
                      const QString &aText, QRadioButton *&b, const char *bName, const QString &bText) {
  auto *box = new QGroupBox(title, parent);
  auto *l = new QHBoxLayout(box);
  a = new QRadioButton(aText, box);
  a->setObjectName(QLatin1String(aName));
  b = new QRadioButton(bText, box);
  b->setObjectName(QLatin1String(bName));
  l->addWidget(a);
  l->addWidget(b);
  auto *group = new QButtonGroup(box);
  group->addButton(a);
  group->addButton(b);
  return box;
}
} // namespace

TFileSizeDialog::TFileSizeDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FileSizeDialog"));
  setWindowTitle(_("Insert file size value"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  auto *fileRow = new QHBoxLayout;
  edFileName = new QLineEdit(this);
  edFileName->setObjectName(QStringLiteral("edFileName"));
  edFileName->setReadOnly(true);
  edFileName->setMinimumWidth(300);
  btnFile = new QPushButton(QStringLiteral("..."), this);
  btnFile->setObjectName(QStringLiteral("btnFile"));
  btnFile->setToolTip(_("Select file"));
  btnFile->setAutoDefault(false);
  connect(btnFile, &QPushButton::clicked, this, &TFileSizeDialog::SelectFile);
  fileRow->addWidget(edFileName);
  fileRow->addWidget(btnFile);
  form->addRow(_("Filename"), fileRow);
  auto *sizeRow = new QHBoxLayout;
  edFileSize = new QLineEdit(this);
  edFileSize->setObjectName(QStringLiteral("edFileSize"));
  btnCopy = new QPushButton(_("Copy"), this);
  btnCopy->setObjectName(QStringLiteral("btnCopy"));
  btnCopy->setAutoDefault(false);
  connect(btnCopy, &QPushButton::clicked, this, &TFileSizeDialog::CopySize);
  sizeRow->addWidget(edFileSize);
  sizeRow->addWidget(btnCopy);
  form->addRow(_("File size"), sizeRow);
  layout->addLayout(form);

  auto *groups = new QHBoxLayout;
  groups->addWidget(RadioGroup(this, _("Unit prefix format"), rbDecimal, "rbDecimal", _("Decimal"), rbBinary,
                               "rbBinary", _("Binary")));
  groups->addWidget(RadioGroup(this, _("Decimal separator"), rbComma, "rbComma", _("Comma"), rbPoint,
                               "rbPoint", _("Point")));
  layout->addLayout(groups);
  for (QRadioButton *rb : {rbDecimal, rbBinary, rbComma, rbPoint})
    connect(rb, &QRadioButton::toggled, this, [this](bool on) {
      if (on)
        OptionChanged();
    });
  QDialogButtonBox *buttons = AddOkCancel(this);
  btnOk = OkButton(buttons);
  layout->addWidget(buttons);
}

TSizeUnits TFileSizeDialog::Units() const {
  return rbBinary->isChecked() ? suBinary : suDecimal;
}
QChar TFileSizeDialog::Separator() const {
  return rbPoint->isChecked() ? u'.' : u',';
}

void TFileSizeDialog::ReadFileSize(const QString &fileName) {
  const QFileInfo info(fileName);
  FSize = info.exists() && info.isFile() ? info.size() : 0;
  edFileName->setText(fileName);
}

// A size the user typed counts from then on; the field is read with the separator it was shown in.
bool TFileSizeDialog::TakeSizeField(QChar sep) {
  const std::optional<qint64> size = ParseFileSize(edFileSize->text(), sep);
  if (size)
    FSize = *size;
  return size.has_value();
}

void TFileSizeDialog::ShowSize() {
  FShownSep = Separator();
  edFileSize->setText(FormatFileSize(FSize, Units(), FShownSep));
}

void TFileSizeDialog::OptionChanged() {
  TakeSizeField(FShownSep);
  ShowSize();
}

void TFileSizeDialog::SelectFile() {
  const QString start = edFileName->text();
  const QString name =
      QFileDialog::getOpenFileName(this, _("Select file"), start, _("all") + QStringLiteral(" (*)"));
  if (name.isEmpty())
    return;
  ReadFileSize(name);
  ShowSize();
}

void TFileSizeDialog::CopySize() {
  TakeSizeField(Separator());
  QGuiApplication::clipboard()->setText(FormatFileSize(FSize, Units(), Separator()));
}

void TFileSizeDialog::accept() {
  if (!TakeSizeField(Separator())) {
    TMsgOptions o;
    o.Place = mpPoint;
    o.At = btnOk->mapToGlobal(QPoint(0, btnOk->height()));
    ShowMessage(mkError, _("Invalid file size format!"), o);
    edFileSize->setFocus();
    return;
  }
  QDialog::accept();
}

bool TFileSizeDialog::Execute(const QString &fileName, bool &decimalUnits, QString &sizeText,
                              bool &decimalComma, QPoint pos) {
  for (QRadioButton *rb : {rbDecimal, rbBinary, rbComma, rbPoint})
    rb->blockSignals(true);
  (decimalUnits ? rbDecimal : rbBinary)->setChecked(true);
  (decimalComma ? rbComma : rbPoint)->setChecked(true);
  for (QRadioButton *rb : {rbDecimal, rbBinary, rbComma, rbPoint})
    rb->blockSignals(false);
  ReadFileSize(fileName);
  ShowSize();
  edFileSize->setFocus();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  decimalUnits = Units() == suDecimal;
  decimalComma = Separator() == u',';
  sizeText = FormatFileSize(FSize, Units(), Separator());
  return true;
}
