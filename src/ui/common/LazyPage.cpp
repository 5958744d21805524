#include "ui/common/LazyPage.h"

void TLazyPage::EnsureBuilt() {
  if (FBuilt)
    return;
  FBuilt = true;
  Build();
  if (OnBuilt)
    OnBuilt();
}

void TLazyPage::showEvent(QShowEvent *e) {
  if (!FBuilt) {
    EnsureBuilt();
    // Controls added to a page that is already on view would only show from the event loop,
    // after a paint of the empty page.
    for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
      if (!w->isWindow() && !w->testAttribute(Qt::WA_WState_ExplicitShowHide))
        w->show();
  }
  QWidget::showEvent(e);
}
