#include "ui/app/FileReplaceDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <tuple>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
std::function<TFileReplaceAnswer(const TReplaceQuestion &)> &Responder() {
  static std::function<TFileReplaceAnswer(const TReplaceQuestion &)> r;
  return r;
}
} // namespace

void TFileReplaceDialog::SetResponder(std::function<TFileReplaceAnswer(const TReplaceQuestion &)> responder) {
  Responder() = std::move(responder);
}

TFileReplaceDialog::TFileReplaceDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FileReplaceDialog"));
  setWindowTitle(_("Replace file"));
  auto *layout = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  const auto value = [this](const char *name) {
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    // File names and lines are data: never rich text.
    l->setTextFormat(Qt::PlainText);
    l->setMinimumWidth(360);
    return l;
  };
  lblFile = value("lblFile");
  lblLine = value("lblLine");
  lblFind = value("lblFind");
  lblReplace = value("lblReplace");
  grid->addWidget(lblFile, 0, 0, 1, 2);
  grid->addWidget(new QLabel(_("In line:"), this), 1, 0);
  grid->addWidget(lblLine, 1, 1);
  grid->addWidget(new QLabel(_("Replace"), this), 2, 0);
  grid->addWidget(lblFind, 2, 1);
  grid->addWidget(new QLabel(_("by:"), this), 3, 0);
  grid->addWidget(lblReplace, 3, 1);
  layout->addLayout(grid);
  // The style's standard buttons, in the desktop's order.
  auto *buttons = new QDialogButtonBox(this);
  for (const auto &[caption, answer, standard] :
       {std::tuple{"Yes", frYes, QDialogButtonBox::Yes}, std::tuple{"No", frNo, QDialogButtonBox::No},
        std::tuple{"All in this file", frAllInFile, QDialogButtonBox::YesToAll},
        std::tuple{"Cancel", frCancel, QDialogButtonBox::Cancel}}) {
    QPushButton *b = buttons->addButton(standard);
    b->setText(_(caption));
    if (answer == frYes)
      b->setDefault(true);
    connect(b, &QPushButton::clicked, this, [this, a = answer] {
      FAnswer = a;
      accept();
    });
  }
  layout->addWidget(buttons);
}

TFileReplaceAnswer TFileReplaceDialog::Execute(QPoint pos, const TReplaceQuestion &q) {
  if (Responder())
    return Responder()(q);
  lblFile->setText(fontMetrics().elidedText(q.FileName, Qt::ElideMiddle, 460));
  lblLine->setText(QString::number(q.Line) + QStringLiteral(": ") + q.LineText.trimmed().left(300));
  lblFind->setText(q.Find.left(300));
  lblReplace->setText(q.Replace.left(300));
  FAnswer = frCancel;
  PlaceDialog(this, pos);
  exec(); // closing the window answers Cancel
  return FAnswer;
}
