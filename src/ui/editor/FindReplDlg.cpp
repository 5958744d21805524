#include "ui/editor/FindReplDlg.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"

#include <QDialogButtonBox>
#include <tuple>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
TConfirmResponder ConfirmResponder;

QGroupBox *RadioGroup(QWidget *parent, const QString &title, QRadioButton *&a, const QString &ta,
                      QRadioButton *&b, const QString &tb) {
  auto *g = new QGroupBox(title, parent);
  auto *l = new QVBoxLayout(g);
  a = new QRadioButton(ta, g);
  b = new QRadioButton(tb, g);
  l->addWidget(a);
  l->addWidget(b);
  a->setChecked(true);
  return g;
}

QString FirstLineTrimmed(const QString &s) { return s.section(QRegularExpression("[\r\n]"), 0, 0).trimmed(); }
} // namespace

TFindReplDialog::TFindReplDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindReplDialog"));
  setModal(false);
  auto *top = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  auto *searchLabel = new QLabel(_("Search for:"), this);
  grid->addWidget(searchLabel, 0, 0);
  cbxSearch = new QComboBox(this);
  cbxSearch->setEditable(true);
  cbxSearch->setInsertPolicy(QComboBox::NoInsert);
  cbxSearch->setMinimumWidth(280);
  grid->addWidget(cbxSearch, 0, 1);
  grid->setColumnStretch(1, 1);
  top->addLayout(grid);

  // The replace row hides in search mode, so it has a grid of its own; both grids get the same
  // label column so that the two boxes line up (in every language).
  pnlReplace = new QWidget(this);
  auto *rl = new QGridLayout(pnlReplace);
  rl->setContentsMargins(0, 0, 0, 0);
  auto *replaceLabel = new QLabel(_("Replace by:"), pnlReplace);
  rl->addWidget(replaceLabel, 0, 0);
  cbxReplace = new QComboBox(pnlReplace);
  cbxReplace->setEditable(true);
  cbxReplace->setInsertPolicy(QComboBox::NoInsert);
  rl->addWidget(cbxReplace, 0, 1);
  rl->setColumnStretch(1, 1);
  rl->setHorizontalSpacing(grid->horizontalSpacing());
  const int labelWidth = std::max(searchLabel->sizeHint().width(), replaceLabel->sizeHint().width());
  grid->setColumnMinimumWidth(0, labelWidth);
  rl->setColumnMinimumWidth(0, labelWidth);
  searchLabel->setBuddy(cbxSearch);
  replaceLabel->setBuddy(cbxReplace);
  top->addWidget(pnlReplace);

  auto *opts = new QHBoxLayout;
  auto *checks = new QVBoxLayout;
  cbCase = new QCheckBox(_("Case sensitive"), this);
  cbWord = new QCheckBox(_("Whole words"), this);
  cbConfirm = new QCheckBox(_("With confirmation"), this);
  checks->addWidget(cbCase);
  checks->addWidget(cbWord);
  checks->addWidget(cbConfirm);
  opts->addLayout(checks);
  opts->addWidget(RadioGroup(this, _("Start "), rbFromCursor, _("from cursor"), rbFromBeginning, _("from beginning")));
  opts->addWidget(RadioGroup(this, _("Direction"), rbForward, _("Forward"), rbBackward, _("Backward")));
  opts->addWidget(RadioGroup(this, _("Range"), rbWholeText, _("Whole text"), rbSelectedText, _("Selected text")));
  top->addLayout(opts);
  cbAutoclose = new QCheckBox(_("Keep this window opened"), this);
  top->addWidget(cbAutoclose);

  auto *buttons = new QHBoxLayout;
  btnSearch = new QPushButton(_("&Search"), this);
  btnRepeat = new QPushButton(_("&Continue"), this);
  btnReplAll = new QPushButton(_("Replace &all"), this);
  btnClose = new QPushButton(_("Close"), this);
  btnSearch->setDefault(true);
  for (QPushButton *b : {btnSearch, btnRepeat, btnReplAll, btnClose})
    buttons->addWidget(b);
  top->addLayout(buttons);

  connect(cbCase, &QCheckBox::toggled, this, [this](bool on) { SetBit(ssoMatchCase, on); });
  connect(cbWord, &QCheckBox::toggled, this, [this](bool on) { SetBit(ssoWholeWord, on); });
  connect(cbConfirm, &QCheckBox::toggled, this, [this](bool on) { SetBit(ssoPrompt, on); });
  connect(rbBackward, &QRadioButton::toggled, this, [this](bool on) { SetBit(ssoBackwards, on); });
  connect(rbSelectedText, &QRadioButton::toggled, this, [this](bool on) { SetBit(ssoSelectedOnly, on); });
  connect(rbFromBeginning, &QRadioButton::toggled, this, [this](bool on) {
    SetBit(ssoEntireScope, on);
    fFromCursor = !on;
    if (!on)
      btnRepeat->setVisible(false);
  });
  connect(cbxSearch, &QComboBox::editTextChanged, this, &TFindReplDialog::UpdateButtons);
  connect(btnSearch, &QPushButton::clicked, this, &TFindReplDialog::MainButton);
  connect(btnRepeat, &QPushButton::clicked, this, &TFindReplDialog::RepeatButton);
  connect(btnReplAll, &QPushButton::clicked, this, &TFindReplDialog::ReplaceAllButton);
  connect(btnClose, &QPushButton::clicked, this, [this] {
    fOptions &= ~ssoReplaceAll;
    close();
  });
  SetOptions(ssoPrompt);
  UpdateButtons();
}

void TFindReplDialog::SetBit(TSynSearchOption bit, bool on) {
  if (on)
    fOptions |= bit;
  else
    fOptions &= ~bit;
}

void TFindReplDialog::SetOptions(TSynSearchOptions o) {
  fOptions = o;
  const QSignalBlocker b1(cbConfirm), b2(cbCase), b3(cbWord), b4(rbSelectedText), b5(rbBackward), b6(rbFromBeginning);
  cbConfirm->setChecked(o & ssoPrompt);
  cbCase->setChecked(o & ssoMatchCase);
  cbWord->setChecked(o & ssoWholeWord);
  (o & ssoSelectedOnly ? rbSelectedText : rbWholeText)->setChecked(true);
  (o & ssoBackwards ? rbBackward : rbForward)->setChecked(true);
  (o & ssoEntireScope ? rbFromBeginning : rbFromCursor)->setChecked(true);
  fFromCursor = !(o & ssoEntireScope);
}

QString TFindReplDialog::FindText() const { return cbxSearch->currentText(); }
void TFindReplDialog::SetFindText(const QString &s) {
  cbxSearch->setEditText(s);
  UpdateButtons();
}
QString TFindReplDialog::ReplaceText() const { return cbxReplace->currentText(); }
void TFindReplDialog::SetReplaceText(const QString &s) { cbxReplace->setEditText(s); }

QStringList TFindReplDialog::FindHistory() const {
  QStringList r;
  for (int i = 0; i < cbxSearch->count(); ++i)
    r << cbxSearch->itemText(i);
  return r;
}
QStringList TFindReplDialog::ReplaceHistory() const {
  QStringList r;
  for (int i = 0; i < cbxReplace->count(); ++i)
    r << cbxReplace->itemText(i);
  return r;
}

void TFindReplDialog::UpdateButtons() {
  const bool on = !cbxSearch->currentText().isEmpty();
  btnSearch->setEnabled(on);
  btnRepeat->setEnabled(on);
  btnReplAll->setEnabled(on);
  emit FindTextChanged(cbxSearch->currentText());
}

void TFindReplDialog::AddToHistory(QComboBox *box, const QString &text) {
  if (text.isEmpty() || box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
    return;
  const QString edit = box->currentText();
  if (box->count() >= MaxHistory)
    box->removeItem(box->count() - 1);
  box->insertItem(0, text);
  box->setEditText(edit);
}

bool TFindReplDialog::Execute(bool replace) {
  fReplace = replace;
  setWindowTitle(replace ? _("Replace text") : _("Search for text"));
  pnlReplace->setVisible(replace);
  btnReplAll->setVisible(replace);
  btnRepeat->setVisible(replace || !fFromCursor);
  btnSearch->setText(replace ? _("&Replace") : _("&Search"));
  SetBit(ssoReplace, replace);
  fOptions &= ~ssoReplaceAll;
  fRepeat = false;
  UpdateButtons();
  adjustSize();
  show();
  raise();
  activateWindow();
  cbxSearch->setFocus();
  cbxSearch->lineEdit()->selectAll();
  return true;
}

void TFindReplDialog::CloseUnlessKept() {
  if (!cbAutoclose->isChecked())
    close();
}

void TFindReplDialog::MainButton() {
  fOptions &= ~ssoReplaceAll;
  AddToHistory(cbxSearch, FindText());
  if (fReplace) {
    AddToHistory(cbxReplace, ReplaceText());
    fOptions |= ssoReplace;
    // After "Continue" the match it selected is the one to replace: search back onto it.
    if (fRepeat)
      fOptions ^= ssoBackwards;
    if (fOnReplace)
      fOnReplace();
    if (fRepeat)
      fOptions ^= ssoBackwards;
  } else {
    if (!fFromCursor)
      fOptions |= ssoEntireScope;
    if (fOnFind)
      fOnFind();
    if (!fFromCursor)
      btnRepeat->setVisible(true);
  }
  if (!fFromCursor)
    fOptions &= ~ssoEntireScope;
  fRepeat = false;
  cbxSearch->setFocus();
  CloseUnlessKept();
}

void TFindReplDialog::RepeatButton() {
  if (fReplace) {
    AddToHistory(cbxSearch, FindText());
    fOptions &= ~(ssoReplace | ssoReplaceAll);
    if (fOnFind)
      fOnFind();
    fRepeat = true;
  } else if (fOnFind) {
    fOnFind();
  }
  cbxSearch->setFocus();
}

void TFindReplDialog::ReplaceAllButton() {
  AddToHistory(cbxSearch, FindText());
  AddToHistory(cbxReplace, ReplaceText());
  fOptions |= ssoReplace | ssoReplaceAll;
  fRepeat = false;
  if (fOnReplace)
    fOnReplace();
  cbxSearch->setFocus();
  CloseUnlessKept();
}

void TFindReplDialog::LoadFromIni(const TUnicodeIniFile &ini) {
  cbxSearch->clear();
  cbxReplace->clear();
  cbxSearch->addItems(ReadIniList(ini, QStringLiteral("Find"), MaxHistory, QStringLiteral("Text")));
  cbxReplace->addItems(ReadIniList(ini, QStringLiteral("Replace"), MaxHistory, QStringLiteral("Text")));
  cbxSearch->setCurrentIndex(-1);
  cbxReplace->setCurrentIndex(-1);
  const QString sec = QStringLiteral("FindReplaceDialog");
  if (ini.ValueExists(sec, QStringLiteral("Left")))
    move(KeepOnScreen({ini.ReadInteger(sec, QStringLiteral("Left"), 100), ini.ReadInteger(sec, QStringLiteral("Top"), 100)},
                      sizeHint()));
  cbAutoclose->setChecked(ini.ReadBool(sec, QStringLiteral("AutoClose"), false));
}

void TFindReplDialog::SaveToIni(TUnicodeIniFile &ini) const {
  QStringList finds, repls;
  for (const QString &s : FindHistory())
    finds << FirstLineTrimmed(s);
  for (const QString &s : ReplaceHistory())
    repls << FirstLineTrimmed(s);
  WriteIniList(ini, QStringLiteral("Find"), finds, MaxHistory, true, QStringLiteral("Text"));
  WriteIniList(ini, QStringLiteral("Replace"), repls, MaxHistory, true, QStringLiteral("Text"));
  const QString sec = QStringLiteral("FindReplaceDialog");
  ini.WriteInteger(sec, QStringLiteral("Left"), pos().x());
  ini.WriteInteger(sec, QStringLiteral("Top"), pos().y());
  ini.WriteBool(sec, QStringLiteral("AutoClose"), cbAutoclose->isChecked());
}

TConfirmReplDialog::TConfirmReplDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(_("Confirm replacement"));
  auto *l = new QVBoxLayout(this);
  lblPrompt = new QLabel(this);
  lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
  // The prompt quotes the search texts, which in a web page are often tags: never render them.
  lblPrompt->setTextFormat(Qt::PlainText);
  l->addWidget(lblPrompt);
  // The style's standard buttons, in the desktop's order.
  auto *b = new QDialogButtonBox(this);
  const std::tuple<const char *, TSynReplaceAction, QDialogButtonBox::StandardButton> rows[] = {
      {"&Yes", raReplace, QDialogButtonBox::Yes},
      {"&No", raSkip, QDialogButtonBox::No},
      {"&All", raReplaceAll, QDialogButtonBox::YesToAll},
      {"Cancel", raCancel, QDialogButtonBox::Cancel}};
  for (const auto &[text, action, standard] : rows) {
    QPushButton *btn = b->addButton(standard);
    btn->setText(_(text));
    const TSynReplaceAction a = action;
    connect(btn, &QPushButton::clicked, this, [this, a] {
      fResult = a;
      accept();
    });
  }
  l->addWidget(b);
}

TSynReplaceAction TConfirmReplDialog::Execute(QPoint pos, const QString &prompt) {
  fResult = raCancel;
  lblPrompt->setText(prompt);
  adjustSize();
  // Below the match, but never past the edges of the main window's screen.
  if (pos != QPoint(-1, -1))
    KeepWindowOnScreen(this, pos);
  exec();
  return fResult;
}

void SetConfirmResponder(TConfirmResponder r) { ConfirmResponder = std::move(r); }

TSynReplaceAction AskReplace(QWidget *parent, QPoint pos, const QString &prompt) {
  if (ConfirmResponder)
    return ConfirmResponder(prompt);
  TConfirmReplDialog dlg(parent);
  return dlg.Execute(pos, prompt);
}
