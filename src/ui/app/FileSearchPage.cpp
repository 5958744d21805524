#include "ui/app/FileSearchPage.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "ui/common/HistoryCombo.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
THistoryCombo *NewHistoryBox(QWidget *parent, const char *name) {
  auto *box = new THistoryCombo(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->SetMaxItems(15);
  box->SetEraseSection(true);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(10);
  return box;
}
QCheckBox *NewCheck(QWidget *parent, const char *name, const char *caption) {
  auto *c = new QCheckBox(_(caption), parent);
  c->setObjectName(QString::fromLatin1(name));
  return c;
}
} // namespace

TFileSearchPage::TFileSearchPage(QWidget *parent) : TLazyPage(parent) {
  setObjectName(QStringLiteral("tsSearch"));
}

void TFileSearchPage::Build() {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(new QLabel(_("Search for:"), this));
  hcSearch = NewHistoryBox(this, "hcSearch");
  layout->addWidget(hcSearch);
  cbReplace = NewCheck(this, "cbReplace", "Replace by:");
  layout->addWidget(cbReplace);
  hcReplace = NewHistoryBox(this, "hcReplace");
  hcReplace->setEnabled(false);
  layout->addWidget(hcReplace);
  cbCase = NewCheck(this, "cbCase", "Case sensitive");
  cbWord = NewCheck(this, "cbWord", "Whole words");
  cbConfirm = NewCheck(this, "cbConfirm", "Confirm replacement");
  cbConfirm->setEnabled(false);
  layout->addWidget(cbCase);
  layout->addWidget(cbWord);
  layout->addWidget(cbConfirm);

  auto *group = new QGroupBox(_("Search in"), this);
  auto *gl = new QVBoxLayout(group);
  rbSearchOpen = new QRadioButton(_("All opened files"), group);
  rbSearchOpen->setObjectName(QStringLiteral("rbSearchOpen"));
  rbSearchProject = new QRadioButton(_("All files of project"), group);
  rbSearchProject->setObjectName(QStringLiteral("rbSearchProject"));
  rbSearchFolder = new QRadioButton(_("This directory"), group);
  rbSearchFolder->setObjectName(QStringLiteral("rbSearchFolder"));
  rbSearchOpen->setChecked(true);
  gl->addWidget(rbSearchOpen);
  gl->addWidget(rbSearchProject);
  gl->addWidget(rbSearchFolder);
  auto *dirRow = new QHBoxLayout;
  hcSearchDir = NewHistoryBox(group, "hcSearchDir");
  btnSearchDir = new QToolButton(group);
  btnSearchDir->setObjectName(QStringLiteral("btnSearchDir"));
  btnSearchDir->setText(QStringLiteral("..."));
  dirRow->addWidget(hcSearchDir, 1);
  dirRow->addWidget(btnSearchDir);
  gl->addLayout(dirRow);
  cbSearchSubDir = NewCheck(group, "cbSearchSubDir", "Include subdirectories");
  cbSearchSubDir->setEnabled(false);
  gl->addWidget(cbSearchSubDir);
  layout->addWidget(group);

  layout->addWidget(new QLabel(_("File types:"), this));
  hcSearchTypes = NewHistoryBox(this, "hcSearchTypes");
  layout->addWidget(hcSearchTypes);
  auto *buttons = new QHBoxLayout;
  btnStartSearch = new QPushButton(_("Start search"), this);
  btnStartSearch->setObjectName(QStringLiteral("btnStartSearch"));
  btnCancelSearch = new QPushButton(_("Cancel"), this);
  btnCancelSearch->setObjectName(QStringLiteral("btnCancelSearch"));
  btnCancelSearch->setEnabled(false);
  buttons->addWidget(btnStartSearch);
  buttons->addWidget(btnCancelSearch);
  layout->addLayout(buttons);
  pbSearch = new QProgressBar(this);
  pbSearch->setObjectName(QStringLiteral("pbSearch"));
  pbSearch->setTextVisible(false);
  pbSearch->setMaximumHeight(12);
  layout->addWidget(pbSearch);
  lblSearchStatus = new QLabel(this);
  lblSearchStatus->setObjectName(QStringLiteral("lblSearchStatus"));
  lblSearchStatus->setTextFormat(Qt::PlainText);
  lblSearchStatus->setWordWrap(true);
  layout->addWidget(lblSearchStatus);
  layout->addStretch();

  connect(cbReplace, &QCheckBox::toggled, this, &TFileSearchPage::ReplaceToggled);
  connect(rbSearchFolder, &QRadioButton::toggled, cbSearchSubDir, &QWidget::setEnabled);
  for (auto [rb, scope] : {std::pair{rbSearchOpen, ssOpenFiles}, std::pair{rbSearchProject, ssProjectFiles},
                           std::pair{rbSearchFolder, ssFolder}})
    connect(rb, &QRadioButton::clicked, this, [this, s = scope] { emit ScopeChosen(s); });
  connect(btnSearchDir, &QToolButton::clicked, this, &TFileSearchPage::BrowseRequested);
  // Picking a folder from the drop-down means searching there.
  connect(hcSearchDir, &QComboBox::activated, this, [this] {
    rbSearchFolder->setChecked(true);
    emit ScopeChosen(ssFolder);
  });
  connect(btnStartSearch, &QPushButton::clicked, this, &TFileSearchPage::StartRequested);
  connect(btnCancelSearch, &QPushButton::clicked, this, &TFileSearchPage::CancelRequested);
}

void TFileSearchPage::ReplaceToggled(bool on) {
  ApplyReplaceState(on);
  if (on)
    hcReplace->setFocus();
}

void TFileSearchPage::ApplyReplaceState(bool on) {
  cbConfirm->setEnabled(on);
  cbConfirm->setChecked(on);
  hcReplace->setEnabled(on);
}

TSearchScope TFileSearchPage::Scope() const {
  return rbSearchFolder->isChecked() ? ssFolder : rbSearchProject->isChecked() ? ssProjectFiles : ssOpenFiles;
}

void TFileSearchPage::SetScope(TSearchScope s) {
  (s == ssFolder ? rbSearchFolder : s == ssProjectFiles ? rbSearchProject : rbSearchOpen)->setChecked(true);
  cbSearchSubDir->setEnabled(s == ssFolder);
}

void TFileSearchPage::ApplyScopeState(const TSearchScopeState &s) {
  rbSearchOpen->setEnabled(s.OpenFilesEnabled);
  rbSearchProject->setEnabled(s.ProjectEnabled);
  SetScope(s.Scope);
  cbSearchSubDir->setEnabled(s.SubFoldersEnabled);
  hcSearchTypes->setEditText(s.Types);
}

TFileSearchOptions TFileSearchPage::Options() const {
  TFileSearchOptions o;
  o.Find = hcSearch->currentText();
  o.MatchCase = cbCase->isChecked();
  o.WholeWord = cbWord->isChecked();
  o.DoReplace = cbReplace->isChecked();
  o.Replace = hcReplace->currentText();
  o.Confirm = cbConfirm->isChecked();
  return o;
}

void TFileSearchPage::SetRunning(bool running) {
  for (QWidget *w : findChildren<QWidget *>())
    if (w != btnCancelSearch && w != pbSearch && w != lblSearchStatus && !qobject_cast<QLabel *>(w) &&
        w->parentWidget() == this)
      w->setEnabled(!running);
  // Enabling everything again must keep the enabling rules of the boxes.
  if (!running) {
    hcReplace->setEnabled(cbReplace->isChecked());
    cbConfirm->setEnabled(cbReplace->isChecked());
  }
  btnCancelSearch->setEnabled(running);
}

QString TFileSearchPage::TakeText(THistoryCombo *box) {
  const QString t = box->currentText();
  if (!t.isEmpty())
    box->AddItem(t);
  box->setEditText(t);
  return t;
}

void TFileSearchPage::LoadSettings(const TUnicodeIniFile &ini, bool replace) {
  for (auto [box, section] : {std::pair{hcSearch, "FileFind"}, std::pair{hcReplace, "FileReplace"},
                              std::pair{hcSearchDir, "FindDirs"}, std::pair{hcSearchTypes, "FindTypes"}}) {
    box->LoadFromIni(ini, QString::fromLatin1(section));
    // The boxes show their newest entry, as the page did when it was left.
    box->setEditText(box->HistoryList()->Strings().value(0));
  }
  // Restoring the state is not the user's choice: the focus stays where it is.
  const QSignalBlocker block(cbReplace);
  cbReplace->setChecked(replace);
  ApplyReplaceState(replace);
}

void TFileSearchPage::SaveSettings(TUnicodeIniFile &ini) {
  for (auto [box, section] : {std::pair{hcSearch, "FileFind"}, std::pair{hcReplace, "FileReplace"},
                              std::pair{hcSearchDir, "FindDirs"}, std::pair{hcSearchTypes, "FindTypes"}})
    box->SaveToIni(ini, QString::fromLatin1(section), true);
}

void TFileSearchPage::keyPressEvent(QKeyEvent *e) {
  // Enter anywhere on the page starts the search, and goes no further.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (btnStartSearch->isEnabled())
      emit StartRequested();
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}
