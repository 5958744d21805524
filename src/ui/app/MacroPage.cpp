#include "ui/app/MacroPage.h"
#include "core/common/HListBox.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/TextDlg.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMacroPage::TMacroPage(QWidget *parent) : TLazyPage(parent) {
  setObjectName(QStringLiteral("tsMacros"));
}

void TMacroPage::Build() {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  FSplit = new QSplitter(Qt::Horizontal, this);
  FSplit->setObjectName(QStringLiteral("MacroSplit"));
  auto *left = new QWidget(FSplit);
  auto *leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->setSpacing(0);
  tbMacros = new QToolBar(left);
  tbMacros->setObjectName(QStringLiteral("tbMacros"));
  tbMacros->setIconSize(QSize(16, 16));
  leftLayout->addWidget(tbMacros);
  lbMacros = new QListWidget(left);
  lbMacros->setObjectName(QStringLiteral("lbMacros"));
  leftLayout->addWidget(lbMacros, 1);
  meMacro = new QPlainTextEdit(FSplit);
  meMacro->setObjectName(QStringLiteral("meMacro"));
  meMacro->setReadOnly(true);
  meMacro->setLineWrapMode(QPlainTextEdit::NoWrap);
  meMacro->installEventFilter(this);
  FSplit->addWidget(left);
  FSplit->addWidget(meMacro);
  FSplit->setStretchFactor(1, 1);
  connect(FSplit, &QSplitter::splitterMoved, this, [this](int pos) { FListWidth = pos; });
  layout->addWidget(FSplit, 1);
  auto *arrows = new QVBoxLayout;
  btnUp = new QToolButton(this);
  btnUp->setObjectName(QStringLiteral("btnMacroUp"));
  btnUp->setArrowType(Qt::UpArrow);
  btnDown = new QToolButton(this);
  btnDown->setObjectName(QStringLiteral("btnMacroDown"));
  btnDown->setArrowType(Qt::DownArrow);
  arrows->addStretch();
  arrows->addWidget(btnUp);
  arrows->addWidget(btnDown);
  arrows->addStretch();
  layout->addLayout(arrows);

  connect(lbMacros, &QListWidget::currentRowChanged, this, [this] { ShowPreview(); });
  connect(lbMacros, &QListWidget::itemDoubleClicked, this, [this] { emit InsertRequested(); });
  ApplyActions();
  Refill(List.IsEmpty() ? -1 : 0);
}

void TMacroPage::SetActions(const QList<QAction *> &toolBar, QAction *edit, QAction *up, QAction *down) {
  FToolActions = toolBar;
  FEditAction = edit;
  FUpAction = up;
  FDownAction = down;
  ApplyActions();
}

void TMacroPage::ApplyActions() {
  if (!IsBuilt() || !FUpAction)
    return;
  for (QAction *a : FToolActions)
    tbMacros->addAction(a);
  btnUp->setDefaultAction(FUpAction);
  btnDown->setDefaultAction(FDownAction);
  // The default action replaces the arrow by the action's (missing) icon: put it back.
  btnUp->setArrowType(Qt::UpArrow);
  btnDown->setArrowType(Qt::DownArrow);
  btnUp->setToolButtonStyle(Qt::ToolButtonIconOnly);
  btnDown->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

int TMacroPage::ListWidth() const {
  return FListWidth;
}

void TMacroPage::SetListWidth(int w) {
  FListWidth = w;
  ApplyListWidth();
}

void TMacroPage::ApplyListWidth() {
  if (!IsBuilt())
    return;
  // Never narrower than the tool bar's six buttons.
  const int w = qMax(FListWidth, tbMacros->sizeHint().width() + 6);
  FSplit->setSizes({w, qMax(FSplit->width() - w, 100)});
}

void TMacroPage::showEvent(QShowEvent *e) {
  TLazyPage::showEvent(e); // makes the page on its first showing
  // The splitter spreads its space by its own rules at the first layout: the stored width wins.
  ApplyListWidth();
}

void TMacroPage::Refill(int index) {
  if (!IsBuilt())
    return; // the list is shown when the page is made
  const QSignalBlocker block(lbMacros);
  lbMacros->clear();
  lbMacros->addItems(List.Names());
  if (index >= List.Count())
    index = List.Count() - 1;
  lbMacros->setCurrentRow(index);
  ShowPreview();
}

int TMacroPage::Current() const {
  if (!IsBuilt())
    return -1;
  const int i = lbMacros->currentRow();
  return i >= 0 && i < List.Count() ? i : -1;
}

QString TMacroPage::CurrentText() const {
  const int i = Current();
  return i < 0 ? QString() : List.At(i).Text;
}

void TMacroPage::ShowPreview() {
  // Shown with the editor's own line breaks; the stored text keeps CR LF.
  QString t = CurrentText();
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  meMacro->setPlainText(t);
}

bool TMacroPage::AskName(QPoint pos, const QString &title, const QString &prompt, QString &text) {
  QStringList names = List.Names();
  names.sort(Qt::CaseInsensitive);
  if (NameResponder)
    return NameResponder(title, prompt, text, names);
  // A scratch history: the drop-down offers the names, nothing is remembered from it.
  THistoryList offered(nullptr, qMax(1, int(names.size()) + 1));
  offered.AssignList(names);
  return TInputTextDialog::Execute(pos, title, prompt, text, &offered, true, {}, false, window());
}

void TMacroPage::NewMacro(const QString &selection, QPoint pos) {
  if (selection.isEmpty())
    return;
  SetEditing(false);
  QString name;
  if (!AskName(pos, _("New text macro"), _("Description:"), name))
    return;
  // An empty name could never be written as a header line that reads back as a macro.
  if (TMacroList::CleanName(name).isEmpty())
    return;
  const int added = List.Add(name, selection);
  if (added >= 0) {
    Refill(added);
    return;
  }
  const int existing = List.IndexOf(name);
  Refill(existing);
  TMsgOptions o;
  o.Place = mpPoint;
  o.At = QCursor::pos();
  if (ConfirmBox(FormatS(_("Replace text macro \"%s\"?"), {List.At(existing).Name}), o)) {
    List.SetText(existing, selection);
    Refill(existing);
  }
}

void TMacroPage::ReplaceMacro(const QString &selection, QPoint pos) {
  if (selection.isEmpty())
    return;
  const int i = Current();
  if (List.IsEmpty() || i < 0) {
    NewMacro(selection, pos);
    return;
  }
  SetEditing(false);
  TMsgOptions o;
  o.Place = mpPoint;
  o.At = pos;
  if (ConfirmBox(FormatS(_("Replace text macro \"%s\"?"), {List.At(i).Name}), o)) {
    List.SetText(i, selection);
    Refill(i);
  }
}

void TMacroPage::RenameMacro(QPoint pos) {
  const int i = Current();
  if (i < 0)
    return;
  SetEditing(false);
  QString name = List.At(i).Name;
  if (AskName(pos, _("Rename text macro"), _("New description:"), name) && List.Rename(i, name))
    Refill(i);
}

void TMacroPage::DeleteMacro(QPoint pos) {
  const int i = Current();
  if (i < 0)
    return;
  SetEditing(false);
  TMsgOptions o;
  o.Place = mpPoint;
  o.At = pos;
  if (ConfirmBox(FormatS(_("Delete text macro \"%s\"?"), {List.At(i).Name}), o))
    Refill(List.Delete(i));
}

void TMacroPage::MoveMacro(int delta) {
  const int i = Current();
  if (i < 0)
    return;
  SetEditing(false);
  const int moved = delta < 0 ? List.MoveUp(i) : List.MoveDown(i);
  if (moved >= 0)
    Refill(moved);
}

void TMacroPage::SetEditing(bool on) {
  if (FEditAction && FEditAction->isChecked() != on) {
    const QSignalBlocker block(FEditAction);
    FEditAction->setChecked(on);
  }
  if (on == FEditing)
    return;
  FEditing = on;
  if (on) {
    meMacro->setReadOnly(false);
    meMacro->setFocus();
    return;
  }
  meMacro->setReadOnly(true);
  const int i = Current();
  if (i < 0)
    return;
  // The raw text: toPlainText() would turn no-break spaces into blanks.
  QString text = meMacro->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
  List.SetText(i, text);
}

bool TMacroPage::eventFilter(QObject *o, QEvent *e) {
  // Leaving the preview while editing stores the edit and releases the Edit button.
  if (o == meMacro && e->type() == QEvent::FocusOut && FEditing)
    SetEditing(false);
  return QWidget::eventFilter(o, e);
}

void TMacroPage::Load(const QString &fileName) {
  QString error;
  if (!List.Load(fileName, &error))
    ErrorBox(error);
  Refill(List.IsEmpty() ? -1 : 0);
}

bool TMacroPage::Save(const QString &fileName) {
  SetEditing(false);
  if (!List.Modified())
    return true;
  QString error, kept;
  if (!List.Save(fileName, &error, &kept)) {
    ErrorBox(error);
    return false;
  }
  if (!kept.isEmpty())
    InfoBox(FormatS(_("The damaged macro file was kept as \"%s\"."), {kept}));
  return true;
}
