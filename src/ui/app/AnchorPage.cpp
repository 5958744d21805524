#include "ui/app/AnchorPage.h"
#include "core/common/Translate.h"
#include "ui/app/SearchResultsTree.h"
#include "ui/common/Icons.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

TAnchorPage::TAnchorPage(QWidget *parent) : TLazyPage(parent) {
  setObjectName(QStringLiteral("tsAnchors"));
}

void TAnchorPage::Build() {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto *scope = new QGroupBox(_("Search local anchors in"), this);
  auto *sl = new QVBoxLayout(scope);
  const auto radio = [](QWidget *parent, const char *name, const char *caption) {
    auto *rb = new QRadioButton(_(caption), parent);
    rb->setObjectName(QString::fromLatin1(name));
    return rb;
  };
  rbAnchorCurrent = radio(scope, "rbAnchorCurrent", "Active file");
  rbAnchorOpen = radio(scope, "rbAnchorOpen", "All opened files");
  rbAnchorProject = radio(scope, "rbAnchorProject", "All files of project");
  rbAnchorCurrent->setChecked(true);
  for (QRadioButton *rb : {rbAnchorCurrent, rbAnchorOpen, rbAnchorProject})
    sl->addWidget(rb);
  layout->addWidget(scope);
  auto *sort = new QGroupBox(_("Sort anchors"), this);
  sort->setObjectName(QStringLiteral("rbAnchorSort"));
  auto *sortLayout = new QHBoxLayout(sort);
  rbSortLines = radio(sort, "rbSortLines", "by lines");
  rbSortNames = radio(sort, "rbSortNames", "alphabetical");
  rbSortLines->setChecked(true);
  sortLayout->addWidget(rbSortLines);
  sortLayout->addWidget(rbSortNames);
  layout->addWidget(sort);
  auto *buttons = new QHBoxLayout;
  btnAnchorSearch = new QPushButton(_("Search anchors"), this);
  btnAnchorSearch->setObjectName(QStringLiteral("btnAnchorSearch"));
  btnAnchorExport = new QToolButton(this);
  btnAnchorExport->setObjectName(QStringLiteral("btnAnchorExport"));
  btnAnchorExport->setIcon(ThemedIcon("document-save"));
  btnAnchorExport->setText(_("Export"));
  btnAnchorExport->setToolTip(_("Save anchor list to file"));
  buttons->addWidget(btnAnchorSearch, 1);
  buttons->addWidget(btnAnchorExport);
  layout->addLayout(buttons);
  btnCheckLinks = new QPushButton(_("Check links"), this);
  btnCheckLinks->setObjectName(QStringLiteral("btnCheckLinks"));
  btnCheckLinks->setToolTip(_("List local links whose file or anchor does not exist"));
  layout->addWidget(btnCheckLinks);
  pbAnchor = new QProgressBar(this);
  pbAnchor->setObjectName(QStringLiteral("pbAnchor"));
  pbAnchor->setTextVisible(false);
  pbAnchor->setMaximumHeight(12);
  layout->addWidget(pbAnchor);
  lblAnchorStatus = new QLabel(this);
  lblAnchorStatus->setObjectName(QStringLiteral("lblAnchorStatus"));
  lblAnchorStatus->setTextFormat(Qt::PlainText);
  lblAnchorStatus->setWordWrap(true);
  layout->addWidget(lblAnchorStatus);
  tvAnchors = new TSearchResultsTree(this);
  tvAnchors->setObjectName(QStringLiteral("tvAnchors"));
  layout->addWidget(tvAnchors, 1);

  connect(btnAnchorSearch, &QPushButton::clicked, this, &TAnchorPage::SearchRequested);
  connect(btnAnchorExport, &QToolButton::clicked, this, &TAnchorPage::ExportRequested);
  connect(btnCheckLinks, &QPushButton::clicked, this, &TAnchorPage::CheckLinksRequested);
}

TAnchorScope TAnchorPage::Scope() const {
  return rbAnchorProject->isChecked() ? asProject : rbAnchorOpen->isChecked() ? asOpenFiles : asActiveFile;
}

bool TAnchorPage::SortByName() const {
  return rbSortNames->isChecked();
}
