#include "ui/editor/TagEditDlg.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
struct TTagDialog {
  QDialog Dlg;
  QFormLayout *Form;
  QLineEdit *edRef, *edAttributes;
  QPlainTextEdit *edText = nullptr;

  TTagDialog(QWidget *parent, const QString &caption, const QString &folder, const QString &refLabel)
      : Dlg(parent) {
    Dlg.setWindowTitle(caption);
    Form = new QFormLayout(&Dlg);
    if (!folder.isEmpty())
      Form->addRow(_("Folder:"), new QLabel(folder, &Dlg));
    edRef = new QLineEdit(&Dlg);
    edRef->setObjectName(QStringLiteral("edRef"));
    edRef->setMinimumWidth(360);
    Form->addRow(refLabel, edRef);
    edAttributes = new QLineEdit(&Dlg);
    edAttributes->setObjectName(QStringLiteral("edAttributes"));
    Form->addRow(_("Attributes:"), edAttributes);
  }
  bool Run(QPoint pos) {
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(_("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(_("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &Dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &Dlg, &QDialog::reject);
    Form->addRow(buttons);
    Dlg.adjustSize();
    if (pos.x() >= 0 && pos.y() >= 0)
      KeepWindowOnScreen(&Dlg, pos);
    edRef->setFocus();
    return Dlg.exec() == QDialog::Accepted;
  }
};
} // namespace

bool EditImageTag(QWidget *parent, QPoint pos, const QString &folder, QString &src, QString &attributes) {
  TTagDialog d(parent, _("Edit image"), folder, _("Image:"));
  d.edRef->setText(src);
  d.edAttributes->setText(attributes);
  if (!d.Run(pos))
    return false;
  src = d.edRef->text();
  attributes = d.edAttributes->text();
  return true;
}

bool EditLinkTag(QWidget *parent, QPoint pos, const QString &caption, const QString &folder, QString &url,
                 QString &attributes, QString &text) {
  TTagDialog d(parent, caption, folder, _("URL:"));
  d.edRef->setText(url);
  d.edAttributes->setText(attributes);
  // The link text keeps its line breaks: a multi-line field shows them as they are.
  d.edText = new QPlainTextEdit(&d.Dlg);
  d.edText->setObjectName(QStringLiteral("edText"));
  d.edText->setPlainText(text);
  d.edText->setTabChangesFocus(true);
  d.edText->setFixedHeight(d.edText->fontMetrics().lineSpacing() * 5 + 12);
  d.Form->addRow(_("Text:"), d.edText);
  const QString original = text;
  if (!d.Run(pos))
    return false;
  url = d.edRef->text();
  attributes = d.edAttributes->text();
  // The field writes line feeds; an unchanged text goes back exactly as it came (CR LF too).
  const QString edited = d.edText->toPlainText();
  if (QString(original).replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n') != edited)
    text = edited;
  return true;
}
