#include "ui/keys/KeyboardDlg.h"

#include "core/common/Translate.h"
#include "core/keys/KeyLayout.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QString KeyText(TShortCut sc) {
  const QString t = ShortCutToText(sc);
  return t.isEmpty() ? _("(none)") : t;
}

// Overview rows sort by the clicked column's text, ignoring case.
class TKeyItem : public QTreeWidgetItem {
public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem &other) const override {
    const int c = treeWidget() ? treeWidget()->sortColumn() : 0;
    return text(c).compare(other.text(c), Qt::CaseInsensitive) < 0;
  }
};

// The overview's sort column, kept for the program's run.
int OverviewColumn = 0;
} // namespace

THotKeyEdit::THotKeyEdit(QWidget *parent) : QLineEdit(parent) {
  setReadOnly(true); // typed keys are taken as keys, never as text
}

void THotKeyEdit::SetKey(TShortCut key) {
  FKey = key;
  setText(ShortCutToText(key));
}

bool THotKeyEdit::event(QEvent *e) {
  // Every key is a chord to take: Tab, Enter and Esc too, so they neither move the focus nor
  // close the dialog.
  if (e->type() == QEvent::ShortcutOverride) {
    e->accept();
    return true;
  }
  if (e->type() == QEvent::KeyPress) {
    const TShortCut sc = TTextBuffer::KeyValue(static_cast<QKeyEvent *>(e));
    if (sc) // a bare modifier is not a key yet
      SetKey(sc);
    return true;
  }
  if (e->type() == QEvent::KeyRelease)
    return true;
  return QLineEdit::event(e);
}

TKeyboardDialog::TKeyboardDialog(QWidget *parent, const QString &folder) : QDialog(parent), FFolder(folder) {
  setObjectName(QStringLiteral("KeyboardDialog"));
  setWindowTitle(_("Keyboard layout"));
  auto *grid = new QGridLayout(this);

  auto *left = new QVBoxLayout;
  auto *catRow = new QHBoxLayout;
  catRow->addWidget(new QLabel(_("Category:"), this));
  cbKat = new QComboBox(this);
  cbKat->setObjectName(QStringLiteral("cbKat"));
  catRow->addWidget(cbKat, 1);
  btnOverview = new QPushButton(_("Overview"), this);
  btnOverview->setObjectName(QStringLiteral("btnOverview"));
  btnOverview->setAutoDefault(false);
  catRow->addWidget(btnOverview);
  left->addLayout(catRow);
  KeyCmdList = new QTreeWidget(this);
  KeyCmdList->setObjectName(QStringLiteral("KeyCmdList"));
  KeyCmdList->setHeaderLabels({_("Command"), _("Key code")});
  KeyCmdList->setColumnWidth(0, 160); // the key column stays whole in the dialog's width
  KeyCmdList->setColumnWidth(1, 115);
  KeyCmdList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  KeyCmdList->setRootIsDecorated(false);
  KeyCmdList->setSelectionBehavior(QAbstractItemView::SelectRows);
  KeyCmdList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  KeyCmdList->header()->setSectionsClickable(false);
  left->addWidget(KeyCmdList, 1);
  grid->addLayout(left, 0, 0);

  auto *right = new QVBoxLayout;
  right->addWidget(new QLabel(_("Command:"), this));
  stxCommand = new QLineEdit(this);
  stxCommand->setObjectName(QStringLiteral("stxCommand"));
  stxCommand->setReadOnly(true);
  stxCommand->setFocusPolicy(Qt::NoFocus);
  stxCommand->setStyleSheet(QStringLiteral("QLineEdit { background: #FFFBF0; }"));
  right->addWidget(stxCommand);
  right->addWidget(new QLabel(_("Key code:"), this));
  hkKeystroke = new THotKeyEdit(this);
  hkKeystroke->setObjectName(QStringLiteral("hkKeystroke"));
  hkKeystroke->setFixedWidth(141);
  right->addWidget(hkKeystroke);
  const auto button = [this, right](const char *name, const QString &caption) {
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setFixedWidth(141);
    right->addWidget(b);
    return b;
  };
  btnChange = button("btnChange", _("Change code"));
  btnDelete = button("btnDelete", _("Delete code"));
  btnLoad = button("btnLoad", _("   Load   "));
  btnSave = button("btnSave", _("Save"));
  right->addStretch(1);
  grid->addLayout(right, 0, 1);
  grid->setColumnStretch(0, 1);
  stxCommand->setFixedWidth(141);
  QDialogButtonBox *box = AddOkCancel(this);
  grid->addWidget(box, 1, 0, 1, 2, Qt::AlignRight);
  resize(484, 321);

  connect(cbKat, &QComboBox::activated, this, [this] { ShowCategory(0); });
  connect(KeyCmdList, &QTreeWidget::currentItemChanged, this, [this] { ShowDetails(); });
  connect(btnChange, &QPushButton::clicked, this, &TKeyboardDialog::ChangeCodeClick);
  connect(btnDelete, &QPushButton::clicked, this, &TKeyboardDialog::DeleteCodeClick);
  connect(btnLoad, &QPushButton::clicked, this, &TKeyboardDialog::LoadClick);
  connect(btnSave, &QPushButton::clicked, this, &TKeyboardDialog::SaveClick);
  connect(btnOverview, &QPushButton::clicked, this, &TKeyboardDialog::OverviewClick);
}

void TKeyboardDialog::Prepare(const TSynEditKeyStrokes &layout) {
  ks = layout;
  cbKat->clear();
  cbKat->addItems(VelmoCommands().CategoryNames());
  cbKat->setCurrentIndex(0); // "Editor"
  ShowCategory(0);
}

bool TKeyboardDialog::Execute(TSynEditKeyStrokes &layout) {
  Prepare(layout);
  PlaceDialog(this, QPoint(-1, -1));
  hkKeystroke->setFocus();
  if (exec() != QDialog::Accepted)
    return false;
  layout = ks;
  return true;
}

void TKeyboardDialog::ShowCategory(int row) {
  ActCat = cbKat->currentIndex();
  struct TRow {
    QString Name;
    int Entry;
  };
  std::vector<TRow> rows;
  for (int i = 0; i < ks.Count(); ++i) {
    const QString name = VelmoCommands().GetCommandName(ks[i].Command, ActCat);
    if (!name.isEmpty())
      rows.push_back({name, i});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TRow &a, const TRow &b) {
    return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
  });
  const QSignalBlocker block(KeyCmdList);
  KeyCmdList->clear();
  for (const TRow &r : rows) {
    auto *item = new QTreeWidgetItem(KeyCmdList, {r.Name, KeyText(ks[r.Entry].ShortCut())});
    item->setData(0, Qt::UserRole, r.Entry);
  }
  if (KeyCmdList->topLevelItemCount()) {
    if (row < 0 || row >= KeyCmdList->topLevelItemCount())
      row = 0;
    QTreeWidgetItem *item = KeyCmdList->topLevelItem(row);
    KeyCmdList->setCurrentItem(item);
    KeyCmdList->scrollToItem(item);
  }
  ShowDetails();
}

int TKeyboardDialog::SelectedEntry() const {
  const QTreeWidgetItem *item = KeyCmdList->currentItem();
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void TKeyboardDialog::ShowDetails() {
  const QTreeWidgetItem *item = KeyCmdList->currentItem();
  const int entry = SelectedEntry();
  stxCommand->setText(item ? item->text(0) : QString());
  hkKeystroke->SetKey(entry >= 0 && entry < ks.Count() ? ks[entry].ShortCut() : 0);
  if (isActiveWindow())
    hkKeystroke->setFocus();
}

void TKeyboardDialog::ChangeCodeClick() {
  const int entry = SelectedEntry();
  if (entry < 0 || entry >= ks.Count())
    return;
  const int row = KeyCmdList->indexOfTopLevelItem(KeyCmdList->currentItem());
  const TShortCut key = hkKeystroke->Key();
  if (key) {
    const int holder = ks.FindShortcut(key);
    if (holder >= 0) {
      TMsgOptions o;
      o.Caption = windowTitle();
      o.Place = mpPoint;
      o.At = QCursor::pos();
      const QString question =
          FormatS(_("Key code \"%s\" is used for command\r\n%s\r\nOverwrite?"),
                  {ShortCutToText(ks[holder].ShortCut()), VelmoCommands().GetCommandName(ks[holder].Command)})
              .replace(QLatin1String("\r\n"), QLatin1String("\n"));
      if (ShowMessage(mkConfirm, question, o) != mrYes)
        return;
      ks.SetShortCut(holder, 0);
    }
  }
  // Refused when a second entry held the key too (a layout that already had it twice).
  if (!ks.SetShortCut(entry, key))
    ErrorBox(_("Shortcut already exists"));
  ShowCategory(row);
}

void TKeyboardDialog::DeleteCodeClick() {
  hkKeystroke->SetKey(0);
  ChangeCodeClick();
}

QString TKeyboardDialog::AskFile(bool save) {
  const QString title = save ? _("Save keyboard layout") : _("Load keyboard layout");
  if (FileNameResponder)
    return FileNameResponder(title);
  const QString filter =
      _("Keyboard layout") + QStringLiteral(" (*.key);;") + _("all") + QStringLiteral(" (*)");
  QFileDialog dlg(this, title, FFolder, filter);
  dlg.setDefaultSuffix(QStringLiteral("key"));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
    return {};
  return dlg.selectedFiles().constFirst();
}

void TKeyboardDialog::LoadClick() {
  const QString file = AskFile(false);
  if (file.isEmpty() || QFileInfo(file).size() == 0)
    return;
  // A file whose length does not fit its count is refused, as at start-up.
  TSynEditKeyStrokes loaded;
  if (loaded.LoadFromFile(file) != kfOk) {
    QApplication::beep();
    return;
  }
  ks = loaded;
  ShowCategory(0);
}

void TKeyboardDialog::SaveClick() {
  QString file = AskFile(true);
  if (file.isEmpty())
    return;
  if (QFileInfo(file).suffix().isEmpty())
    file += QStringLiteral(".key");
  QString error;
  if (!ks.SaveToFile(file, &error))
    ErrorBox(file + u'\n' + error);
}

void TKeyboardDialog::OverviewClick() {
  TShowKeyCodes overview(this);
  if (OverviewResponder) {
    overview.Fill(ks);
    OverviewResponder(overview);
    return;
  }
  overview.Show(ks);
}

TShowKeyCodes::TShowKeyCodes(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ShowKeyCodes"));
  setWindowTitle(_("Keyboard layout - Overview"));
  auto *layout = new QVBoxLayout(this);
  lvKeys = new QTreeWidget(this);
  lvKeys->setObjectName(QStringLiteral("lvKeys"));
  lvKeys->setHeaderLabels({_("Key code"), _("Category"), _("Function")});
  lvKeys->setColumnWidth(0, 125);
  lvKeys->setColumnWidth(1, 75);
  lvKeys->setColumnWidth(2, 175);
  lvKeys->setRootIsDecorated(false);
  lvKeys->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvKeys->header()->setSectionsClickable(true);
  connect(lvKeys->header(), &QHeaderView::sectionClicked, this, &TShowKeyCodes::SortByColumn);
  layout->addWidget(lvKeys, 1);
  auto *box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(box);
  resize(411, 351);
}

void TShowKeyCodes::Fill(const TSynEditKeyStrokes &list) {
  lvKeys->clear();
  for (const TSynEditKeyStroke &e : list.Items()) {
    const QString key = ShortCutToText(e.ShortCut());
    if (key.isEmpty())
      continue;
    auto *item = new TKeyItem(lvKeys, {key});
    int cat = -1;
    QString name;
    if (VelmoCommands().FindCommandCategory(e.Command, cat, name)) {
      item->setText(1, VelmoCommands().Category(cat).FCategory);
      item->setText(2, name);
    }
  }
  SortByColumn(OverviewColumn);
}

void TShowKeyCodes::SortByColumn(int column) {
  OverviewColumn = column;
  lvKeys->header()->setSortIndicatorShown(true);
  lvKeys->header()->setSortIndicator(column, Qt::AscendingOrder);
  lvKeys->sortItems(column, Qt::AscendingOrder);
}

void TShowKeyCodes::Show(const TSynEditKeyStrokes &list) {
  Fill(list);
  PlaceDialog(this, QPoint(-1, -1));
  exec();
}
