#include "ui/projects/SelectProjectDlg.h"
#include "core/common/Translate.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

TSelectProjectDialog::TSelectProjectDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SelectProjectDialog"));
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(_("Current projects:"), this));
  lvProjects = new QListWidget(this);
  lvProjects->setObjectName(QStringLiteral("lvProjects"));
  lvProjects->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(lvProjects, &QListWidget::itemDoubleClicked, this, [this] { Finish(mrOpen); });
  layout->addWidget(lvProjects);

  auto *order = new QHBoxLayout;
  rbAlpha = new QRadioButton(_("Alphabetical"), this);
  rbUnsorted = new QRadioButton(_("Unsorted"), this);
  connect(rbAlpha, &QRadioButton::clicked, this, [this] { Sort(true); });
  connect(rbUnsorted, &QRadioButton::clicked, this, [this] { Sort(false); });
  order->addWidget(rbAlpha);
  order->addWidget(rbUnsorted);
  order->addStretch();
  layout->addLayout(order);

  auto *buttons = new QDialogButtonBox(this);
  const struct {
    const char *Text;
    int Result;
    QDialogButtonBox::ButtonRole Role;
  } defs[] = {{"Open", mrOpen, QDialogButtonBox::AcceptRole},
              {"Other", mrOther, QDialogButtonBox::ActionRole},
              {"New", mrNew, QDialogButtonBox::ActionRole},
              {"Cancel", mrCancel, QDialogButtonBox::RejectRole}};
  for (const auto &d : defs) {
    QPushButton *b = buttons->addButton(_(d.Text), d.Role);
    b->setObjectName(QStringLiteral("btn") + QLatin1String(d.Text));
    const int result = d.Result;
    connect(b, &QPushButton::clicked, this, [this, result] { Finish(result); });
    if (d.Result == mrOpen)
      b->setDefault(true);
  }
  layout->addWidget(buttons);
}

void TSelectProjectDialog::Sort(bool alphabetical) {
  const int current = lvProjects->currentItem() ? lvProjects->currentItem()->data(Qt::UserRole).toInt() : -1;
  QList<QListWidgetItem *> items;
  while (lvProjects->count() > 0)
    items << lvProjects->takeItem(0);
  std::stable_sort(items.begin(), items.end(), [alphabetical](QListWidgetItem *a, QListWidgetItem *b) {
    if (alphabetical)
      return a->text().compare(b->text(), Qt::CaseInsensitive) < 0;
    return a->data(Qt::UserRole).toInt() < b->data(Qt::UserRole).toInt();
  });
  for (QListWidgetItem *item : items) {
    lvProjects->addItem(item);
    if (item->data(Qt::UserRole).toInt() == current)
      lvProjects->setCurrentItem(item);
  }
  if (QListWidgetItem *item = lvProjects->currentItem())
    lvProjects->scrollToItem(item);
}

void TSelectProjectDialog::Finish(int result) {
  // "Open" needs a chosen project.
  if (result == mrOpen && !lvProjects->currentItem())
    return;
  done(result);
}

int TSelectProjectDialog::Execute(const QString &title, const QStringList &projects, int &index) {
  setWindowTitle(title);
  lvProjects->clear();
  for (int i = 0; i < projects.size(); ++i) {
    auto *item = new QListWidgetItem(projects[i], lvProjects);
    item->setData(Qt::UserRole, i); // position in the project list
    if (i == index)
      lvProjects->setCurrentItem(item);
  }
  rbAlpha->setChecked(true);
  Sort(true);
  show();
  raise();
  activateWindow();
  const int result = exec();
  if (result == mrOpen && lvProjects->currentItem())
    index = lvProjects->currentItem()->data(Qt::UserRole).toInt();
  // Closing the window by its frame or Escape is the same as "Cancel".
  return result == mrOpen || result == mrOther || result == mrNew ? result : int(mrCancel);
}
