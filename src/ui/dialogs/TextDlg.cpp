#include "ui/dialogs/TextDlg.h"
#include "core/common/HListBox.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int DesignWidth = 300;

// Wide enough for text, at least the design width.
int FittingWidth(const QWidget *w, const QString &text) {
  return std::max(DesignWidth, w->fontMetrics().horizontalAdvance(text) + 40);
}
} // namespace

TInputTextDialog::TInputTextDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("InputTextDialog"));
  setWindowTitle(_("Edit text"));
  auto *layout = new QVBoxLayout(this);
  lbText = new QLabel(this);
  layout->addWidget(lbText);
  auto *row = new QHBoxLayout;
  cbText = new QComboBox(this);
  cbText->setObjectName(QStringLiteral("cbText"));
  cbText->setEditable(true);
  cbText->setInsertPolicy(QComboBox::NoInsert);
  cbText->completer()->setCaseSensitivity(Qt::CaseInsensitive);
  cbText->completer()->setCompletionMode(QCompleter::InlineCompletion);
  lbText->setBuddy(cbText);
  row->addWidget(cbText, 1);
  btnCharTable = new QPushButton(_("Character table"), this);
  btnCharTable->setObjectName(QStringLiteral("btnCharTable"));
  btnCharTable->setAutoDefault(false);
  connect(btnCharTable, &QPushButton::clicked, this, [this] {
    const int code =
        TCharTableDialog::Execute(mapToGlobal(btnCharTable->geometry().bottomLeft()), FFontName, this);
    if (code > 0)
      cbText->setEditText(cbText->currentText() + QChar(code));
  });
  row->addWidget(btnCharTable);
  layout->addLayout(row);
  layout->addWidget(AddOkCancel(this));
}

bool TInputTextDialog::Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                               THistoryList *history, bool sorted, const QString &fontName, bool charTable,
                               QWidget *parent) {
  TInputTextDialog dlg(parent);
  if (!title.isEmpty())
    dlg.setWindowTitle(title);
  dlg.lbText->setText(label);
  dlg.FFontName = fontName;
  if (!fontName.isEmpty()) {
    QFont f = dlg.cbText->font();
    f.setFamily(fontName);
    dlg.cbText->setFont(f);
  }
  QStringList items = history ? history->Strings() : QStringList();
  if (sorted)
    items.sort(Qt::CaseInsensitive);
  dlg.cbText->addItems(items);
  dlg.cbText->setMaxVisibleItems(std::max(1, history ? history->MaxLen() : 1));
  if (items.isEmpty()) // nothing to drop down
    dlg.cbText->setStyleSheet(QStringLiteral("QComboBox::drop-down { width: 0px; border: none; }"));
  dlg.cbText->setCurrentIndex(-1);
  dlg.cbText->setEditText(text);
  dlg.cbText->setMinimumWidth(FittingWidth(dlg.cbText, text));
  dlg.btnCharTable->setVisible(charTable);
  dlg.cbText->setFocus();
  dlg.cbText->lineEdit()->selectAll();
  PlaceDialog(&dlg, pos);
  if (dlg.exec() != QDialog::Accepted)
    return false;
  text = dlg.cbText->currentText();
  if (history) {
    QStringList list;
    for (int i = 0; i < dlg.cbText->count(); ++i)
      list << dlg.cbText->itemText(i);
    for (qsizetype i = list.size() - 1; i >= 0; --i)
      if (list[i].compare(text, Qt::CaseInsensitive) == 0)
        list.removeAt(i);
    if (!text.isEmpty())
      list.prepend(text);
    history->AssignList(list.mid(0, history->MaxLen()));
  }
  return true;
}

TInputStringDialog::TInputStringDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("InputStringDialog"));
  setWindowTitle(_("Edit text"));
  auto *layout = new QVBoxLayout(this);
  lbText = new QLabel(this);
  layout->addWidget(lbText);
  auto *row = new QHBoxLayout;
  edText = new QLineEdit(this);
  edText->setObjectName(QStringLiteral("edText"));
  lbText->setBuddy(edText);
  lbSuffix = new QLabel(this);
  lbSuffix->setObjectName(QStringLiteral("lbSuffix"));
  row->addWidget(edText, 1);
  row->addWidget(lbSuffix);
  layout->addLayout(row);
  layout->addWidget(AddOkCancel(this));
}

bool TInputStringDialog::Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                                 const QString &suffix, QWidget *parent) {
  TInputStringDialog dlg(parent);
  if (!title.isEmpty())
    dlg.setWindowTitle(title);
  dlg.lbText->setText(label);
  dlg.lbSuffix->setText(suffix);
  dlg.edText->setText(text);
  dlg.edText->setMinimumWidth(FittingWidth(dlg.edText, text) - 100);
  dlg.edText->setFocus();
  dlg.edText->selectAll();
  PlaceDialog(&dlg, pos);
  if (dlg.exec() != QDialog::Accepted)
    return false;
  text = dlg.edText->text();
  return true;
}

TCharTableDialog::TCharTableDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CharTableDialog"));
  setWindowTitle(_("Character table"));
  auto *layout = new QVBoxLayout(this);
  sgChars = new QTableWidget(16, 16, this);
  sgChars->setObjectName(QStringLiteral("sgChars"));
  sgChars->setSelectionMode(QAbstractItemView::SingleSelection);
  sgChars->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QStringList digits;
  for (int i = 0; i < 16; ++i)
    digits << QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
  sgChars->setHorizontalHeaderLabels(digits);
  sgChars->setVerticalHeaderLabels(digits);
  sgChars->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  sgChars->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  sgChars->horizontalHeader()->setDefaultSectionSize(26);
  sgChars->verticalHeader()->setDefaultSectionSize(22);
  for (int code = 0; code < 256; ++code) {
    auto *item =
        new QTableWidgetItem(code < 32 || (code >= 0x7F && code < 0xA0) ? QString() : QString(QChar(code)));
    item->setTextAlignment(Qt::AlignCenter);
    sgChars->setItem(code / 16, code % 16, item);
  }
  sgChars->setMinimumSize(26 * 16 + 40, 22 * 16 + 30);
  connect(sgChars, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
  layout->addWidget(sgChars);
  auto *row = new QHBoxLayout;
  auto *hexLabel = new QLabel(_("Hex value:"), this);
  edHex = new QLineEdit(this);
  edHex->setObjectName(QStringLiteral("edHex"));
  edHex->setMaxLength(2);
  hexLabel->setBuddy(edHex);
  connect(edHex, &QLineEdit::textEdited, this, &TCharTableDialog::HexChanged);
  row->addWidget(hexLabel);
  row->addWidget(edHex);
  row->addStretch();
  layout->addLayout(row);
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *select = buttons->addButton(_("Select"), QDialogButtonBox::AcceptRole);
  select->setObjectName(QStringLiteral("btnSelect"));
  select->setDefault(true);
  QPushButton *cancel = buttons->addButton(_("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TCharTableDialog::HexChanged(const QString &text) {
  bool ok = false;
  const int code = text.toInt(&ok, 16);
  if (ok && code >= 0 && code < 256)
    sgChars->setCurrentCell(code / 16, code % 16);
}

int TCharTableDialog::SelectedCode() const {
  const int r = sgChars->currentRow(), c = sgChars->currentColumn();
  return r < 0 || c < 0 ? 0 : 16 * r + c;
}

int TCharTableDialog::Execute(QPoint pos, const QString &fontName, QWidget *parent) {
  TCharTableDialog dlg(parent);
  QFont f = dlg.sgChars->font();
  if (!fontName.isEmpty())
    f.setFamily(fontName);
  f.setPointSize(8);
  dlg.sgChars->setFont(f);
  dlg.sgChars->setCurrentCell(2, 0);
  PlaceDialog(&dlg, pos);
  return dlg.exec() == QDialog::Accepted ? dlg.SelectedCode() : 0;
}
