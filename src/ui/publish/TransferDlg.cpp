#include "ui/publish/TransferDlg.h"

#include "core/common/Translate.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString RootText = QStringLiteral("<root>");
const QString AllFiles = QStringLiteral("*.*");
} // namespace

TTransferDialog::TTransferDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TransferDialog"));
  setWindowTitle(_("File transfer"));
  auto *lay = new QVBoxLayout(this);
  auto *destBox = new QGroupBox(this);
  auto *destLay = new QVBoxLayout(destBox);
  DestLabel = new QLabel(destBox);
  DestLabel->setObjectName(QStringLiteral("DestLabel"));
  DirLabel = new QLabel(destBox);
  DirLabel->setObjectName(QStringLiteral("DirLabel"));
  destLay->addWidget(DestLabel);
  destLay->addWidget(DirLabel);
  lay->addWidget(destBox);

  auto *selBox = new QGroupBox(this);
  auto *grid = new QGridLayout(selBox);
  const char *const captions[5] = {"Only current file:", "All project files in current directory:",
                                   "All project files", "All files in", "All changed files"};
  for (int i = 0; i < 5; ++i) {
    Selection[i] = new QRadioButton(_(captions[i]), selBox);
    Selection[i]->setObjectName(QStringLiteral("Selection%1").arg(i));
    connect(Selection[i], &QRadioButton::toggled, this, [this](bool on) {
      if (on)
        UpdateControls();
    });
  }
  CurrentLabel = new QLabel(selBox);
  CurrentLabel->setObjectName(QStringLiteral("CurrentLabel"));
  FolderBox = new THistoryCombo(selBox);
  FolderBox->setObjectName(QStringLiteral("FolderBox"));
  FolderBox->setEditable(true);
  FolderBox->SetAutoUpdate(false);
  FolderBox->setMinimumWidth(220);
  BrowseButton = new QPushButton(QStringLiteral("..."), selBox);
  BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
  BrowseButton->setFixedWidth(32);
  connect(BrowseButton, &QPushButton::clicked, this, &TTransferDialog::Browse);
  SubDirsCheck = new QCheckBox(_("Include subdirectories"), selBox);
  SubDirsCheck->setObjectName(QStringLiteral("SubDirsCheck"));
  FilterBox = new THistoryCombo(selBox);
  FilterBox->setObjectName(QStringLiteral("FilterBox"));
  FilterBox->setEditable(true);
  FilterBox->SetAutoUpdate(false);
  FilterBox->SetMaxItems(15);
  grid->addWidget(Selection[0], 0, 0);
  grid->addWidget(CurrentLabel, 0, 1, 1, 2);
  grid->addWidget(Selection[1], 1, 0, 1, 3);
  grid->addWidget(Selection[2], 2, 0, 1, 3);
  grid->addWidget(Selection[3], 3, 0);
  grid->addWidget(FolderBox, 3, 1);
  grid->addWidget(BrowseButton, 3, 2);
  grid->addWidget(SubDirsCheck, 4, 1, 1, 2);
  auto *filterRow = new QHBoxLayout;
  filterRow->addWidget(new QLabel(_("Filter:"), selBox));
  filterRow->addWidget(FilterBox, 1);
  grid->addLayout(filterRow, 5, 1, 1, 2);
  grid->addWidget(Selection[4], 6, 0, 1, 3);
  lay->addWidget(selBox);

  SyncCheck = new QCheckBox(_("Synchronize remote files"), this);
  SyncCheck->setObjectName(QStringLiteral("SyncCheck"));
  OverwriteCheck = new QCheckBox(_("Overwrite all"), this);
  OverwriteCheck->setObjectName(QStringLiteral("OverwriteCheck"));
  CheckLinksCheck = new QCheckBox(_("Check links first"), this);
  CheckLinksCheck->setObjectName(QStringLiteral("CheckLinksCheck"));
  lay->addWidget(SyncCheck);
  lay->addWidget(OverwriteCheck);
  lay->addWidget(CheckLinksCheck);

  auto *buttons = new QDialogButtonBox(this);
  StartButton = buttons->addButton(_("Start"), QDialogButtonBox::AcceptRole);
  StartButton->setObjectName(QStringLiteral("StartButton"));
  StartButton->setDefault(true);
  ChangesButton = buttons->addButton(_("Show what would change"), QDialogButtonBox::ActionRole);
  ChangesButton->setObjectName(QStringLiteral("ChangesButton"));
  buttons->addButton(QDialogButtonBox::Cancel)->setText(_("Cancel"));
  connect(StartButton, &QPushButton::clicked, this, [this] { Finish(Accepted); });
  connect(ChangesButton, &QPushButton::clicked, this, [this] { Finish(ShowChanges); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(buttons);
}

void TTransferDialog::LoadFromIni(const QString &iniName) {
  FilterBox->LoadFromIni(iniName, QStringLiteral("TransferFilter"));
  FilterBox->SetEraseSection(true);
}

void TTransferDialog::Setup(const QString &dest, const QString &root, const QString &filter,
                            const QString &subDirs, const QString &currentFile, int modeWord) {
  FRoot = QDir::fromNativeSeparators(root);
  if (!FRoot.isEmpty() && !FRoot.endsWith(QLatin1Char('/')))
    FRoot += QLatin1Char('/');
  const int bar = dest.indexOf(QLatin1Char('|'));
  const QFontMetrics fm(DestLabel->font());
  if (bar < 0) {
    DestLabel->setText(_("Path:") + QLatin1Char(' ') + fm.elidedText(dest, Qt::ElideMiddle, 360));
    DirLabel->setVisible(false);
  } else {
    DestLabel->setText(_("Server:") + QLatin1Char(' ') + dest.left(bar));
    DirLabel->setText(_("Dir.:") + QLatin1Char(' ') + fm.elidedText(dest.mid(bar + 1), Qt::ElideMiddle, 360));
    DirLabel->setVisible(true);
  }
  QStringList folders;
  for (const QString &s : subDirs.split(QLatin1Char(','), Qt::SkipEmptyParts))
    folders << s.trimmed();
  FolderBox->AssignList(folders);
  FilterBox->AddItem(AllFiles);
  FilterBox->setCurrentText(filter.isEmpty() ? AllFiles : filter);
  int sel = modeWord & 7;
  if (!currentFile.isEmpty()) {
    const QString file = QDir::fromNativeSeparators(currentFile);
    const QString rel = file.startsWith(FRoot, Qt::CaseInsensitive) ? file.mid(FRoot.size()) : file;
    CurrentLabel->setText(rel);
    const QString folder = QFileInfo(rel).path();
    FolderBox->setCurrentText(folder == QLatin1String(".") ? RootText : folder);
    Selection[0]->setEnabled(true);
    Selection[1]->setEnabled(true);
  } else {
    CurrentLabel->clear();
    FolderBox->setCurrentText(RootText);
    Selection[0]->setEnabled(false);
    Selection[1]->setEnabled(false);
    if (sel <= 1)
      sel = 4;
  }
  SubDirsCheck->setChecked(modeWord & 8);
  SyncCheck->setChecked(modeWord & 16);
  OverwriteCheck->setChecked(modeWord & 32);
  Selection[qBound(0, sel, 4)]->setChecked(true);
  UpdateControls();
}

void TTransferDialog::UpdateControls() {
  const bool folder = Selection[3]->isChecked();
  FolderBox->setEnabled(folder);
  BrowseButton->setEnabled(folder);
  SubDirsCheck->setEnabled(folder);
  FilterBox->setEnabled(folder);
  if (folder)
    SyncCheck->setChecked(false);
  SyncCheck->setEnabled(!Selection[0]->isChecked() && !Selection[4]->isChecked());
}

int TTransferDialog::ModeWord() const {
  int sel = 0;
  for (int i = 0; i < 5; ++i)
    if (Selection[i]->isChecked())
      sel = i;
  int word = sel;
  if (sel == 2 || (sel == 3 && SubDirsCheck->isChecked()))
    word |= 8;
  if (SyncCheck->isChecked() && SyncCheck->isEnabled())
    word |= 16;
  if (OverwriteCheck->isChecked())
    word |= 32;
  return word;
}

QString TTransferDialog::Directory() const {
  QString d = QDir::fromNativeSeparators(FolderBox->currentText().trimmed());
  if (d == RootText || d == QLatin1String("."))
    return {};
  while (d.startsWith(QLatin1Char('/')))
    d.remove(0, 1);
  while (d.endsWith(QLatin1Char('/')))
    d.chop(1);
  return d;
}

QString TTransferDialog::SubDirs() const {
  return FolderBox->HistoryList()->Strings().join(QLatin1Char(','));
}

QString TTransferDialog::Filter() const {
  if (!Selection[3]->isChecked())
    return AllFiles;
  const QString f = FilterBox->currentText().trimmed();
  return f.isEmpty() ? AllFiles : f;
}

bool TTransferDialog::CheckFolder() {
  if (!Selection[3]->isChecked())
    return true;
  const QString dir = FRoot + Directory();
  if (QFileInfo(dir).isDir())
    return true;
  ErrorBox(_("Directory:\r\n%s\r\nnot found!").replace(QStringLiteral("%s"), QDir::toNativeSeparators(dir)));
  return false;
}

void TTransferDialog::Browse() {
  const QString start = FRoot + Directory();
  QString chosen = DirectoryResponder ? DirectoryResponder(_("Select directory"), start)
                                      : QFileDialog::getExistingDirectory(this, _("Select directory"), start);
  if (chosen.isEmpty())
    return;
  chosen = QDir::fromNativeSeparators(chosen);
  if (!chosen.endsWith(QLatin1Char('/')))
    chosen += QLatin1Char('/');
  if (!chosen.startsWith(FRoot, Qt::CaseInsensitive)) {
    ErrorBox(_("File: %s\r\nnot found in project directory!").replace(QStringLiteral("%s"), chosen));
    return;
  }
  QString rel = chosen.mid(FRoot.size());
  rel.chop(1);
  if (rel.isEmpty())
    rel = RootText;
  FolderBox->AddItem(rel);
  FolderBox->setCurrentText(rel);
}

void TTransferDialog::Finish(int code) {
  if (!CheckFolder())
    return;
  if (Selection[3]->isChecked()) {
    const QString d = Directory();
    if (!d.isEmpty())
      FolderBox->AddItem(d);
    FolderBox->setCurrentText(d.isEmpty() ? RootText : d);
    if (Filter() != AllFiles)
      FilterBox->AddItem(Filter());
  }
  done(code);
}

int TTransferDialog::Execute() {
  if (Responder)
    return Responder(this);
  return exec();
}
