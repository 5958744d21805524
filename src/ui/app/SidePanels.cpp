#include "ui/app/SidePanels.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

namespace {
// Bounds for stored sizes: a damaged settings file must not make a panel swallow the window.
constexpr int MinSide = 20;
constexpr int MaxSide = 4000;
} // namespace

TSidePanels::TSidePanels(QWidget *documents, QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SidePanels"));
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  FHorz = new QSplitter(Qt::Horizontal, this);
  FHorz->setObjectName(QStringLiteral("Splitter2"));
  FHorz->setChildrenCollapsible(false);
  FLeft = new QTabWidget(FHorz);
  FLeft->setObjectName(QStringLiteral("pcLeft"));
  FLeft->setDocumentMode(true);
  FVert = new QSplitter(Qt::Vertical, FHorz);
  FVert->setObjectName(QStringLiteral("pnlSplit"));
  FVert->setHandleWidth(5);
  FTop = new QTabWidget(FVert);
  FTop->setObjectName(QStringLiteral("pcTop"));
  // The pages of the top panel are chosen by the tools, never by a tab.
  FTop->tabBar()->hide();
  FTop->setDocumentMode(true);
  FVert->addWidget(FTop);
  FVert->addWidget(documents);
  FVert->setCollapsible(0, true);
  FVert->setCollapsible(1, false);
  FVert->setStretchFactor(1, 1);
  FHorz->addWidget(FLeft);
  FHorz->addWidget(FVert);
  FHorz->setStretchFactor(1, 1);
  layout->addWidget(FHorz);

  connect(FHorz, &QSplitter::splitterMoved, this, [this](int pos, int) {
    if (!FApplying && pos >= MinSide)
      FLeftWidth = pos;
  });
  connect(FVert, &QSplitter::splitterMoved, this, [this](int pos, int) {
    if (FApplying)
      return;
    // Dragging the bar to the top hides the panel; anywhere else sets the height it will have
    // when shown again.
    if (pos <= 0) {
      if (FTopShown) {
        FTopShown = false;
        emit TopShownChanged(false);
      }
      return;
    }
    FTopHeight = pos;
    if (!FTopShown) {
      FTopShown = true;
      emit TopShownChanged(true);
    }
  });
  ApplySizes();
}

int TSidePanels::AddLeftPage(QWidget *page, const QString &caption) {
  return FLeft->addTab(page, caption);
}

int TSidePanels::AddTopPage(QWidget *page, const QString &caption) {
  return FTop->addTab(page, caption);
}

void TSidePanels::SetLeftWidth(int w) {
  FLeftWidth = qBound(MinSide, w, MaxSide);
  ApplySizes();
}

void TSidePanels::SetTopHeight(int h) {
  FTopHeight = qBound(MinSide, h, MaxSide);
  ApplySizes();
}

void TSidePanels::ShowTop(bool on) {
  if (on == FTopShown)
    return;
  FTopShown = on;
  ApplySizes();
  emit TopShownChanged(on);
}

void TSidePanels::ApplySizes() {
  FApplying = true;
  const int totalW = qMax(FHorz->width(), FLeftWidth + 100);
  FHorz->setSizes({FLeftWidth, totalW - FLeftWidth});
  const int totalH = qMax(FVert->height(), FTopHeight + 100);
  FVert->setSizes({FTopShown ? FTopHeight : 0, FTopShown ? totalH - FTopHeight : totalH});
  FApplying = false;
}

void TSidePanels::showEvent(QShowEvent *e) {
  QWidget::showEvent(e);
  ApplySizes();
}

void TSidePanels::resizeEvent(QResizeEvent *e) {
  QWidget::resizeEvent(e);
  // The splitters hand a window resize to the documents, but their first layout spreads the
  // space by their own rules: the stored sizes win.
  ApplySizes();
}
