#include "ui/editor/ToolPage.h"

#include <QActionEvent>
#include <QLayout>
#include <QWidgetAction>

void TToolPage::Realize() {
  if (FRealized)
    return;
  FRealized = true;
  // In the order the page lists them, which already holds every insertion before another one.
  for (QAction *a : actions()) {
    QActionEvent added(QEvent::ActionAdded, a);
    QToolBar::actionEvent(&added);
  }
  // Laid out at once: the buttons are placed (and the widgets shown) before the page is painted.
  if (layout())
    layout()->activate();
}

void TToolPage::actionEvent(QActionEvent *e) {
  if (FRealized) {
    QToolBar::actionEvent(e);
    return;
  }
  // A widget handed over for the page is the page's (found among its children) but out of sight
  // until the page takes it into its row.
  if (e->type() == QEvent::ActionAdded)
    if (auto *wa = qobject_cast<QWidgetAction *>(e->action()))
      if (QWidget *w = wa->defaultWidget(); w && w->parentWidget() != this) {
        w->setParent(this);
        w->hide();
      }
}

void TToolPage::showEvent(QShowEvent *e) {
  Realize();
  QToolBar::showEvent(e);
}
