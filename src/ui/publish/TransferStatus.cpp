#include "ui/publish/TransferStatus.h"

#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/publish/Publisher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("TransferStatus");

// Long paths lose their middle so that both the start and the file name stay readable.
QString Shortened(const QLabel *label, const QString &text, int width) {
  return label->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(80, width));
}
} // namespace

TTransferStatus::TTransferStatus(const QString &iniName, QWidget *parent)
    : QDialog(parent), FIniName(iniName) {
  setObjectName(QStringLiteral("TransferStatus"));
  setWindowTitle(_("Transfer status"));
  auto *lay = new QVBoxLayout(this);
  ActionLabel = new QLabel(this);
  ActionLabel->setObjectName(QStringLiteral("ActionLabel"));
  QFont bold = ActionLabel->font();
  bold.setBold(true);
  ActionLabel->setFont(bold);
  DestLabel = new QLabel(this);
  DestLabel->setObjectName(QStringLiteral("DestLabel"));
  DirLabel = new QLabel(this);
  DirLabel->setObjectName(QStringLiteral("DirLabel"));
  lay->addWidget(ActionLabel);
  lay->addWidget(DestLabel);
  lay->addWidget(DirLabel);
  lay->addWidget(new QLabel(_("Protocol:"), this));
  ProtocolList = new QListWidget(this);
  ProtocolList->setObjectName(QStringLiteral("ProtocolList"));
  lay->addWidget(ProtocolList, 1);
  StatusLabel = new QLabel(this);
  StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
  StatusLabel->setStyleSheet(QStringLiteral("color: blue"));
  ResultLabel = new QLabel(this);
  ResultLabel->setObjectName(QStringLiteral("ResultLabel"));
  ResultLabel->setVisible(false);
  ProgressLabel = new QLabel(this);
  ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  lay->addWidget(StatusLabel);
  lay->addWidget(ResultLabel);
  lay->addWidget(ProgressLabel);
  lay->addWidget(ProgressBar);
  auto *row = new QHBoxLayout;
  row->addStretch();
  Button = new QPushButton(_("Cancel"), this);
  Button->setObjectName(QStringLiteral("StatusButton"));
  row->addWidget(Button);
  row->addStretch();
  lay->addLayout(row);
  connect(Button, &QPushButton::clicked, this, &TTransferStatus::ButtonClicked);
  resize(460, 360);
  LoadPlace();
}

TTransferStatus::~TTransferStatus() {
  SavePlace();
}

void TTransferStatus::LoadPlace() {
  if (FIniName.isEmpty() || !QFileInfo::exists(FIniName))
    return;
  auto ini = TUnicodeIniFile::CreateForRead(FIniName);
  if (!ini || !ini->SectionExists(Section))
    return;
  const int w = ini->ReadInteger(Section, QStringLiteral("Width"), width());
  const int h = ini->ReadInteger(Section, QStringLiteral("Height"), height());
  resize(qMax(300, w), qMax(200, h));
  move(ini->ReadInteger(Section, QStringLiteral("Left"), x()),
       ini->ReadInteger(Section, QStringLiteral("Top"), y()));
}

void TTransferStatus::SavePlace() {
  if (FIniName.isEmpty())
    return;
  auto ini = TUnicodeIniFile::CreateForWrite(FIniName);
  if (!ini)
    return;
  ini->WriteInteger(Section, QStringLiteral("Top"), y());
  ini->WriteInteger(Section, QStringLiteral("Left"), x());
  ini->WriteInteger(Section, QStringLiteral("Width"), width());
  ini->WriteInteger(Section, QStringLiteral("Height"), height());
  ini->UpdateFile();
}

void TTransferStatus::ShowWindow(const QString &title, const QString &action, const QString &dest) {
  FStopped = false;
  FFinished = false;
  FSize = 0;
  setWindowTitle(title);
  ActionLabel->setText(action);
  DestLabel->setText(Shortened(DestLabel, dest, width() - 30));
  DestLabel->setToolTip(dest);
  DirLabel->clear();
  StatusLabel->clear();
  ResultLabel->clear();
  ResultLabel->setVisible(false);
  ProtocolList->clear();
  ProgressBar->setVisible(true);
  ProgressBar->setValue(0);
  ProgressLabel->clear();
  Button->setText(_("Cancel"));
  Button->setEnabled(true);
  show();
  raise();
}

void TTransferStatus::SetDirectory(const QString &folder) {
  DirLabel->setText(Shortened(DirLabel, folder, width() - 30));
  DirLabel->setToolTip(folder);
}

void TTransferStatus::SetAction(const QString &action) {
  ActionLabel->setText(action);
}

void TTransferStatus::ShowStatusLine(const QString &text) {
  StatusLabel->setText(Shortened(StatusLabel, text, ProgressBar->width()));
  AddProtocol(QStringLiteral("  ") + text);
}

void TTransferStatus::AddProtocol(const QString &text) {
  // A run that starts with its first phase line only shows that phase.
  if (ProtocolList->count() == 1 && (text == _("Copy files:") || text == _("Delete files:")))
    ProtocolList->clear();
  ProtocolList->addItem(text);
  ProtocolList->setCurrentRow(ProtocolList->count() - 1);
}

void TTransferStatus::ShowProgress(qint64 count) {
  if (count < 0) {
    FSize = -count;
    UpdateProgress(FSize, 0);
  } else {
    UpdateProgress(FSize, count);
  }
}

void TTransferStatus::UpdateProgress(qint64 total, qint64 done) {
  if (total > 0) {
    ProgressBar->setValue(int(qRound(double(done) * 100.0 / double(total))));
    const QLocale loc;
    ProgressLabel->setText(
        FormatS(_("%s of %s copied"), {loc.formattedDataSize(done), loc.formattedDataSize(total)}));
  } else {
    ProgressBar->setValue(0);
    ProgressLabel->clear();
  }
}

QString TTransferStatus::ResultText() const {
  return ResultLabel->text();
}

QStringList TTransferStatus::Protocol() const {
  QStringList out;
  for (int i = 0; i < ProtocolList->count(); ++i)
    out << ProtocolList->item(i)->text();
  return out;
}

void TTransferStatus::CloseWindow(int deleted, int copied) {
  FFinished = true;
  ProgressBar->setVisible(false);
  ProgressLabel->clear();
  StatusLabel->clear();
  ResultLabel->setText(TransferResultText(deleted, copied, FStopped));
  ResultLabel->setStyleSheet(!FStopped && deleted < 0 ? QStringLiteral("color: red; font-weight: bold")
                                                      : QStringLiteral("color: blue; font-weight: bold"));
  ResultLabel->setVisible(true);
  Button->setText(_("OK"));
  Button->setEnabled(true);
  if (ResultResponder) {
    ResultResponder(this);
    hide();
    return;
  }
  QApplication::beep();
  hide();
  raise();
  activateWindow();
  exec();
}

void TTransferStatus::ButtonClicked() {
  if (FFinished) {
    accept();
    hide();
    return;
  }
  if (FStopped)
    return;
  FStopped = true;
  Button->setEnabled(false);
  if (OnCancel)
    OnCancel();
}

void TTransferStatus::reject() {
  // Escape or the close box cancel a running transfer; they never leave it running unseen.
  if (!FFinished) {
    ButtonClicked();
    return;
  }
  QDialog::reject();
}

void TTransferStatus::closeEvent(QCloseEvent *e) {
  if (!FFinished) {
    e->ignore();
    ButtonClicked();
    return;
  }
  QDialog::closeEvent(e);
}
