#include "ui/dialogs/ImageDlg.h"
#include "core/common/Translate.h"
#include "core/dialogs/LinkTags.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/ImageLoad.h"
#include "ui/dialogs/UrlDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

TImagePreview::TImagePreview(QWidget *parent) : QWidget(parent) {
  setFixedSize(207, 242);
}

void TImagePreview::SetImage(const QImage &image) {
  FImage = image;
  update();
}

QRect TImagePreview::PictureRect(QSize picture, QSize box) {
  if (picture.isEmpty())
    return {};
  if (picture.width() <= box.width() && picture.height() <= box.height())
    return {QPoint(0, 0), picture};
  return {QPoint(0, 0), picture.scaled(box, Qt::KeepAspectRatio)};
}

void TImagePreview::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  if (!FImage.isNull())
    p.drawImage(PictureRect(FImage.size(), size()), FImage);
}

TImageDialog::TImageDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(_("Insert image"));
  auto *top = new QHBoxLayout(this);
  PaintBox = new TImagePreview(this);
  PaintBox->setObjectName(QStringLiteral("PaintBox"));
  top->addWidget(PaintBox, 0, Qt::AlignTop);
  auto *form = new QFormLayout;
  top->addLayout(form, 1);

  URLCombo = new THistoryCombo(this);
  URLCombo->setObjectName(QStringLiteral("URLCombo"));
  URLCombo->SetMaxItems(25);
  URLCombo->setMinimumWidth(260);
  btnFile = new QToolButton(this);
  btnFile->setObjectName(QStringLiteral("btnFile"));
  btnFile->setText(QStringLiteral("..."));
  btnFile->setToolTip(_("Select image"));
  auto *r1 = new QHBoxLayout;
  r1->addWidget(URLCombo, 1);
  r1->addWidget(btnFile);
  form->addRow(_("Image:"), r1);

  edHinweis = new QLineEdit(this);
  edHinweis->setObjectName(QStringLiteral("edHinweis"));
  form->addRow(_("Hint:"), edHinweis);
  edTitle = new QLineEdit(this);
  edTitle->setObjectName(QStringLiteral("edTitle"));
  btnCopy = new QToolButton(this);
  btnCopy->setObjectName(QStringLiteral("btnCopy"));
  btnCopy->setText(QStringLiteral(">"));
  btnCopy->setToolTip(_("Copy hint to title"));
  auto *r2 = new QHBoxLayout;
  r2->addWidget(edTitle, 1);
  r2->addWidget(btnCopy);
  form->addRow(_("Title:"), r2);

  edWidth = new QLineEdit(this);
  edWidth->setObjectName(QStringLiteral("edWidth"));
  edHeight = new QLineEdit(this);
  edHeight->setObjectName(QStringLiteral("edHeight"));
  btnCalc = new QPushButton(_("Calculate size"), this);
  btnCalc->setObjectName(QStringLiteral("btnCalc"));
  form->addRow(_("Width:"), edWidth);
  auto *r3 = new QHBoxLayout;
  r3->addWidget(edHeight, 1);
  r3->addWidget(btnCalc);
  form->addRow(_("Height:"), r3);

  const auto spin = [this](const char *name, int min, int max) {
    auto *s = new QSpinBox(this);
    s->setObjectName(QLatin1String(name));
    s->setRange(min, max);
    return s;
  };
  udBorder = spin("udBorder", -1, 20);
  form->addRow(_("Frame:"), udBorder);
  cbAlign = new QComboBox(this);
  cbAlign->setObjectName(QStringLiteral("cbAlign"));
  cbAlign->addItem(_("<none>"));
  cbAlign->addItems(ImageAlignValues());
  form->addRow(_("Alignment:"), cbAlign);
  udHSpace = spin("udHSpace", 0, 100);
  form->addRow(_("Spacing left and right:"), udHSpace);
  udVSpace = spin("udVSpace", 0, 100);
  form->addRow(_("Top and bottom:"), udVSpace);

  QDialogButtonBox *box = AddOkCancel(this);
  btnReset = box->addButton(_("Reset"), QDialogButtonBox::ResetRole);
  btnReset->setObjectName(QStringLiteral("btnReset"));
  btnReset->setToolTip(_("Reset alle values"));
  form->addRow(box);

  connect(btnFile, &QToolButton::clicked, this, &TImageDialog::ChooseFile);
  connect(btnCopy, &QToolButton::clicked, this, [this] { edTitle->setText(edHinweis->text()); });
  connect(btnCalc, &QPushButton::clicked, this, &TImageDialog::CalcSize);
  connect(btnReset, &QPushButton::clicked, this, &TImageDialog::Reset);
  connect(URLCombo, &QComboBox::activated, this,
          [this](int index) { HistoryChosen(URLCombo->itemText(index)); });
  connect(cbAlign, &QComboBox::currentIndexChanged, this,
          [this](int align) { udHSpace->setValue(SpacingForAlign(align, udHSpace->value())); });
}

THistoryList *TImageDialog::History() const {
  return URLCombo->HistoryList();
}

void TImageDialog::ShowSize(bool ok) {
  if (ok) {
    edWidth->setText(QString::number(PaintBox->Image().width()));
    edHeight->setText(QString::number(PaintBox->Image().height()));
  } else {
    edWidth->clear();
    edHeight->clear();
  }
}

bool TImageDialog::LoadImageFile(const QString &fileName) {
  if (fileName.isEmpty())
    return false;
  const TImageLoad r = ::LoadImageFile(fileName);
  PaintBox->SetImage(r.Image);
  if (!r.Ok()) {
    ShowMessage(mkError, r.Error);
    URLCombo->setFocus();
  }
  return r.Ok();
}

bool TImageDialog::LoadUrlImage(const QString &url) {
  const QString target =
      DownloadFileName(DataFolder.isEmpty() ? QDir::tempPath() : DataFolder, ProgramName, url);
  const QString error = DownloadFile(url, target, TimeoutMs);
  if (!error.isEmpty()) {
    PaintBox->SetImage({});
    ShowMessage(mkError, error);
    return false;
  }
  return LoadImageFile(target);
}

void TImageDialog::Reset() {
  edHinweis->clear();
  edWidth->clear();
  edHeight->clear();
  cbAlign->setCurrentIndex(0);
  udBorder->setValue(0);
  udHSpace->setValue(0);
  udVSpace->setValue(0);
}

void TImageDialog::Begin(const QString &folder, const QString &image, const QString &attributes) {
  FPath = folder;
  const QString full = image.isEmpty() ? QString() : QDir(folder).absoluteFilePath(image);
  if (IsURL(image)) {
    ImgName = image;
    URLCombo->setEditText(image);
    LoadUrlImage(image);
  } else if (!image.isEmpty() && QFileInfo(full).isFile()) {
    ImgName = full;
    URLCombo->setEditText(image);
    LoadImageFile(full);
  } else {
    ImgName.clear();
    URLCombo->setEditText(QString());
    PaintBox->SetImage({});
  }
  New = URLCombo->currentText().isEmpty();
  Reset();
  edTitle->clear();
  FUseMap.clear();
  FOnClick.clear();
  if (!attributes.isEmpty()) {
    const TImageAttributes a = ParseImageAttributes(attributes);
    edHinweis->setText(a.Alt);
    edTitle->setText(a.Title);
    edWidth->setText(a.Width);
    edHeight->setText(a.Height);
    cbAlign->blockSignals(true); // the stored spacing stays as it was
    cbAlign->setCurrentIndex(a.Align);
    cbAlign->blockSignals(false);
    udBorder->setValue(a.Border);
    udHSpace->setValue(a.HSpace);
    udVSpace->setValue(a.VSpace);
    FUseMap = a.UseMap;
    FOnClick = a.OnClick;
  }
  URLCombo->setFocus();
}

void TImageDialog::End(QString &image, QString &attributes) {
  image = URLCombo->currentText();
  URLCombo->AddItem(image);
  URLCombo->setEditText(image);
  if (New && !ImgName.isEmpty() && !IsURL(ImgName))
    LastPath = QFileInfo(ImgName).absolutePath();
  TImageAttributes a;
  a.Alt = edHinweis->text();
  a.Title = edTitle->text();
  a.Width = edWidth->text();
  a.Height = edHeight->text();
  a.Align = cbAlign->currentIndex();
  a.Border = udBorder->value();
  a.HSpace = udHSpace->value();
  a.VSpace = udVSpace->value();
  a.UseMap = FUseMap;
  a.OnClick = FOnClick;
  attributes = BuildImageAttributes(a);
}

bool TImageDialog::Execute(QPoint pos, const QString &folder, QString &image, QString &attributes) {
  const QString old = QDir::currentPath();
  if (!folder.isEmpty())
    QDir::setCurrent(folder);
  Begin(folder, image, attributes);
  PlaceDialog(this, pos);
  const bool ok = exec() == QDialog::Accepted;
  if (ok)
    End(image, attributes);
  QDir::setCurrent(old);
  return ok;
}

void TImageDialog::ChooseFile() {
  QString dir = FPath;
  const QString current = URLCombo->currentText();
  if (!current.isEmpty() && !IsURL(current))
    dir = QFileInfo(QDir(FPath).absoluteFilePath(current)).absolutePath();
  else if (!LastPath.isEmpty())
    dir = LastPath;
  const QString filter =
      _("all images") +
      QStringLiteral("|*.gif;*.jpg;*.jpeg;*.png;*.webp;*.svg|GIF|*.gif|JPEG|*.jpg;*.jpeg|PNG|*.png|") +
      _("all files") + QStringLiteral("|*.*");
  const QString file = AskOpenFile(this, _("Select image"), dir, filter, 0);
  if (!file.isEmpty())
    FileChosen(file);
}

void TImageDialog::FileChosen(const QString &fileName) {
  ImgName = fileName;
  URLCombo->setEditText(LinkToFile(fileName, FPath, LinkCase));
  ShowSize(LoadImageFile(ImgName));
}

void TImageDialog::HistoryChosen(const QString &entry) {
  if (entry.isEmpty())
    return;
  if (IsURL(entry)) {
    ImgName = entry;
    ShowSize(LoadUrlImage(entry));
  } else {
    ImgName = QDir(FPath).absoluteFilePath(entry);
    ShowSize(LoadImageFile(ImgName));
  }
}

void TImageDialog::CalcSize() {
  bool ok;
  const QString text = URLCombo->currentText();
  if (IsURL(text)) {
    ImgName = text;
    ok = LoadUrlImage(text);
  } else {
    ok = LoadImageFile(ImgName);
  }
  if (ok)
    ShowSize(true);
  else
    ShowMessage(mkInformation, _("Image dimensions not available!"));
}
