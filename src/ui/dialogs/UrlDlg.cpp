#include "ui/dialogs/UrlDlg.h"
#include "core/app/Anchors.h"
#include "core/common/Translate.h"
#include "core/dialogs/LinkTags.h"
#include "ui/common/HistoryCombo.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/FileFilterDlg.h"
#include "ui/dialogs/SelectFromListDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

QString AskOpenFile(QWidget *parent, const QString &title, const QString &startDir, const QString &filter,
                    int filterIndex) {
  const QStringList parts = filter.split(u'|');
  QStringList qt;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    qt << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + u')';
  QString selected = qt.value(filterIndex);
  return QFileDialog::getOpenFileName(parent, title, startDir, qt.join(QLatin1String(";;")), &selected);
}

namespace {
QToolButton *SmallButton(QWidget *parent, const char *name, const QString &text, const QString &hint) {
  auto *b = new QToolButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setText(text);
  b->setToolTip(hint);
  return b;
}

// The process's current folder, made the document's while a dialog is open, so that relative
// names typed by the user resolve against the document.
class TFolderScope {
public:
  explicit TFolderScope(const QString &folder) : FOld(QDir::currentPath()) {
    if (!folder.isEmpty())
      QDir::setCurrent(folder);
  }
  ~TFolderScope() { QDir::setCurrent(FOld); }

private:
  QString FOld;
};
} // namespace

TURLEingabeDialog::TURLEingabeDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("URL-Dialog"));
  Filter = _("HTML document") + QStringLiteral("|*.htm;*.html|") + _("PDF document") +
           QStringLiteral("|*.pdf|") + _("all") + QStringLiteral("|*.*");
  auto *form = new QFormLayout(this);
  URLCombo = new THistoryCombo(this);
  URLCombo->setObjectName(QStringLiteral("URLCombo"));
  URLCombo->SetMaxItems(15);
  URLCombo->setMinimumWidth(300);
  FileBtn = SmallButton(this, "FileBtn", QStringLiteral("..."), _("Select file"));
  btnAnchor = SmallButton(this, "btnAnchor", QStringLiteral("#"), _("Add local anchor"));
  auto *row = new QHBoxLayout;
  row->addWidget(URLCombo, 1);
  row->addWidget(FileBtn);
  row->addWidget(btnAnchor);
  form->addRow(_("File:"), row);
  lblText = new QLabel(_("Text:"), this);
  edText = new QLineEdit(this);
  edText->setObjectName(QStringLiteral("edText"));
  form->addRow(lblText, edText);
  edHinweis = new QLineEdit(this);
  edHinweis->setObjectName(QStringLiteral("edHinweis"));
  btnCopy = SmallButton(this, "btnCopy", QStringLiteral(">"), _("Copy to title"));
  auto *row2 = new QHBoxLayout;
  row2->addWidget(edHinweis, 1);
  row2->addWidget(btnCopy);
  form->addRow(_("Title:"), row2);
  cbTarget = new QComboBox(this);
  cbTarget->setObjectName(QStringLiteral("cbTarget"));
  cbTarget->addItems(
      {_("<none>"), _("new window"), _("current window"), _("parent window"), _("top window")});
  form->addRow(_("Target:"), cbTarget);
  btnFilter = SmallButton(this, "btnFilter", _("Filter"), _("File filter for links"));
  QDialogButtonBox *box = AddOkCancel(this);
  auto *row3 = new QHBoxLayout;
  row3->addWidget(btnFilter);
  row3->addWidget(box, 1);
  form->addRow(row3);

  OpenFile = [this](const QString &title, const QString &dir, const QString &filter, int index) {
    return AskOpenFile(this, title, dir, filter, index);
  };
  AskAnchorName = [this](QString &name) {
    bool ok = false;
    const QString t = QInputDialog::getText(this, _("Goto anchor"), _("Name:"), QLineEdit::Normal, name, &ok);
    if (ok)
      name = t;
    return ok;
  };
  SelectAnchor = [this](const QString &description, const QStringList &items, QString &chosen) {
    if (!FSelect)
      FSelect = new TSelectFromListDialog(this);
    const QPoint below = btnAnchor->mapToGlobal(QPoint(0, btnAnchor->height()));
    return FSelect->Select(below, _("Select local anchor"), chosen, items, true, {}, description);
  };
  connect(FileBtn, &QToolButton::clicked, this, &TURLEingabeDialog::ChooseFile);
  connect(btnAnchor, &QToolButton::clicked, this, &TURLEingabeDialog::AddAnchor);
  connect(btnCopy, &QToolButton::clicked, this, [this] { edHinweis->setText(edText->text()); });
  connect(btnFilter, &QToolButton::clicked, this, [this] {
    TFileFilterDialog d(this);
    d.Execute(_("File filter for links"), Filter);
  });
  connect(URLCombo, &QComboBox::editTextChanged, this, &TURLEingabeDialog::UpdateAnchorButton);
}

THistoryList *TURLEingabeDialog::History() const {
  return URLCombo->HistoryList();
}

void TURLEingabeDialog::BeginHtmlRef(const QString &caption, const QString &folder, const QString &attributes,
                                     const QString &text, const QString &address) {
  setWindowTitle(caption);
  FPath = folder;
  URLCombo->setEditText(address);
  edText->setText(text);
  edHinweis->clear();
  cbTarget->setCurrentIndex(0);
  cbTarget->setEnabled(true);
  lblText->setText(_("Text:"));
  FAnchors.clear();
  if (!attributes.isEmpty()) {
    const TLinkAttributes a = ParseLinkAttributes(attributes);
    edHinweis->setText(a.Title);
    cbTarget->setCurrentIndex(a.Target);
  }
  UpdateAnchorButton();
  URLCombo->setFocus();
}

void TURLEingabeDialog::EndHtmlRef(QString &attributes, QString &text, QString &address) {
  address = URLCombo->currentText();
  URLCombo->AddItem(address);
  URLCombo->setEditText(address);
  // An https address counts as a URL too: it is no local file whose size could be measured.
  if (!IsURL(address))
    LastLocalFile = address.left(address.indexOf(u'#') < 0 ? address.size() : address.indexOf(u'#'));
  text = edText->text();
  attributes = BuildLinkAttributes({edHinweis->text(), cbTarget->currentIndex()});
}

void TURLEingabeDialog::BeginAreaRef(const QString &caption, const QString &folder, const QString &title,
                                     const QString &alt, const QString &address, const QStringList &anchors) {
  setWindowTitle(caption);
  FPath = folder;
  URLCombo->setEditText(address);
  edText->setText(alt);
  edHinweis->setText(title);
  cbTarget->setCurrentIndex(0);
  cbTarget->setEnabled(false);
  lblText->setText(_("Alt:"));
  FAnchors = anchors;
  UpdateAnchorButton();
  URLCombo->setFocus();
}

void TURLEingabeDialog::EndAreaRef(QString &title, QString &alt, QString &address) {
  address = URLCombo->currentText();
  URLCombo->AddItem(address);
  URLCombo->setEditText(address);
  alt = edText->text();
  title = edHinweis->text();
}

bool TURLEingabeDialog::HtmlRef(QPoint pos, const QString &caption, const QString &folder,
                                QString &attributes, QString &text, QString &address) {
  TFolderScope scope(folder);
  BeginHtmlRef(caption, folder, attributes, text, address);
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  EndHtmlRef(attributes, text, address);
  return true;
}

bool TURLEingabeDialog::AreaRef(QPoint pos, const QString &caption, const QString &folder, QString &title,
                                QString &alt, QString &address, const QStringList &anchors) {
  TFolderScope scope(folder);
  BeginAreaRef(caption, folder, title, alt, address, anchors);
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  EndAreaRef(title, alt, address);
  return true;
}

void TURLEingabeDialog::ChooseFile() {
  const QString current = URLCombo->currentText();
  QString dir = FPath;
  if (!current.isEmpty() && !IsURL(current)) {
    const QString folder = QFileInfo(AddressFile(current, FPath, false)).absolutePath();
    if (QFileInfo(folder).isDir())
      dir = folder;
  }
  const QString file =
      OpenFile ? OpenFile(_("Select local file"), dir, Filter, FilterIndexOf(Filter, current)) : QString();
  if (!file.isEmpty())
    FileChosen(file);
}

void TURLEingabeDialog::FileChosen(const QString &fileName) {
  URLCombo->setEditText(LinkToFile(fileName, FPath, LinkCase));
  // The size goes to the clipboard, ready for a "(1,50 KiB)" beside the link.
  if (QClipboard *clip = QGuiApplication::clipboard())
    clip->setText(FormatFileSize(QFileInfo(fileName).size(), SizeUnits, DecimalSep));
  UpdateAnchorButton();
  edText->setFocus();
}

void TURLEingabeDialog::UpdateAnchorButton() {
  const QString file = AddressFile(URLCombo->currentText(), FPath);
  btnAnchor->setEnabled((!file.isEmpty() && QFileInfo(file).isFile()) || !FAnchors.isEmpty());
}

void TURLEingabeDialog::AddAnchor() {
  const QString address = URLCombo->currentText();
  const qsizetype hash = address.lastIndexOf(u'#');
  const QString filePart = hash < 0 ? address : address.left(hash);
  const QString file = AddressFile(address, FPath);
  QStringList anchors;
  if (!file.isEmpty() && QFileInfo(file).isFile()) {
    QList<TAnchorEntry> found;
    // An unreadable file falls back to the caller's anchors.
    if (ReadAnchorsFromFile(file, found))
      for (const TAnchorEntry &e : found)
        anchors << e.Text();
  }
  if (anchors.isEmpty())
    anchors = FAnchors;
  QString chosen;
  bool ask = anchors.isEmpty();
  if (!ask) {
    for (QString &a : anchors)
      a.remove(u'|');
    const int r = SelectAnchor ? SelectAnchor(QFileInfo(filePart).fileName(), anchors, chosen) : 2;
    if (r == 2)
      return;
    ask = r == 6;
  }
  if (ask && !(AskAnchorName && AskAnchorName(chosen)))
    return;
  const QString name = AnchorChoice(chosen);
  if (!name.isEmpty())
    URLCombo->setEditText(filePart + u'#' + name);
  edText->setFocus();
}

TLinkDialog::TLinkDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(_("Link to document"));
  auto *form = new QFormLayout(this);
  cbLink = new THistoryCombo(this);
  cbLink->setObjectName(QStringLiteral("cbLink"));
  cbLink->SetMaxItems(25);
  cbLink->setMinimumWidth(300);
  FileBtn = SmallButton(this, "FileBtn", QStringLiteral("..."), _("Select file"));
  auto *row = new QHBoxLayout;
  row->addWidget(cbLink, 1);
  row->addWidget(FileBtn);
  form->addRow(_("Address or path:"), row);
  lblHinweis = new QLabel(this);
  edHinweis = new QLineEdit(this);
  edHinweis->setObjectName(QStringLiteral("edHinweis"));
  form->addRow(lblHinweis, edHinweis);
  form->addRow(AddOkCancel(this));
  OpenFile = [this](const QString &title, const QString &dir, const QString &filter, int index) {
    return AskOpenFile(this, title, dir, filter, index);
  };
  connect(FileBtn, &QToolButton::clicked, this, [this] {
    const QString f = OpenFile ? OpenFile(FTitle, FPath, FFilter, 0) : QString();
    if (!f.isEmpty())
      cbLink->setEditText(f);
  });
}

THistoryList *TLinkDialog::History() const {
  return cbLink->HistoryList();
}

void TLinkDialog::Begin(const QString &title, const QString &hint, const QString &text, const QString &link,
                        const QString &folder, const QString &filter) {
  FPath = folder;
  FTitle = title;
  FFilter = filter;
  setWindowTitle(title);
  cbLink->setEditText(link);
  lblHinweis->setText(hint);
  edHinweis->setText(text);
  cbLink->setFocus();
}

void TLinkDialog::End(QString &text, QString &link) {
  QString l = cbLink->currentText();
  cbLink->AddItem(l);
  cbLink->setEditText(l);
  if (!l.contains(QLatin1String("://")))
    l = LinkToFile(QDir(FPath).absoluteFilePath(l), FPath);
  link = l;
  text = edHinweis->text();
}

bool TLinkDialog::Execute(QPoint pos, const QString &title, const QString &hint, QString &text, QString &link,
                          const QString &folder, const QString &filter) {
  TFolderScope scope(folder);
  if (hint.isEmpty()) {
    FPath = folder;
    const QString f = OpenFile ? OpenFile(title, folder, filter, 0) : QString();
    if (f.isEmpty())
      return false;
    cbLink->AddItem(f);
    link = LinkToFile(f, folder);
    text = edHinweis->text();
    return true;
  }
  Begin(title, hint, text, link, folder, filter);
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  End(text, link);
  return true;
}
