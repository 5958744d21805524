#include "ui/shell/FilesTabBar.h"
#include "core/common/Translate.h"
#include "ui/common/Icons.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionTab>
#include <QWheelEvent>

namespace {
const QColor ActiveBack(166, 202, 240), OtherBack(255, 251, 240);
constexpr int IconSize = 16, IconLeft = 9, TextGap = 22, RightPad = 12;
} // namespace

TFilesTabBar::TFilesTabBar(QWidget *parent) : QTabBar(parent) {
  setMouseTracking(true);
  setMovable(false); // dragging is done here, with its own mark
  setUsesScrollButtons(true);
  setElideMode(Qt::ElideNone);
  setDrawBase(false);
}

TFilesTabBar::TTabLook TFilesTabBar::LookOf(int index) const {
  TTabLook l = Look ? Look(index) : TTabLook{};
  if (!l.Known)
    l.Caption = tabText(index).isEmpty() ? _("<unknown>") : tabText(index);
  return l;
}

QSize TFilesTabBar::tabSizeHint(int index) const {
  const int text = fontMetrics().horizontalAdvance(LookOf(index).Caption);
  return QSize(IconLeft + TextGap + text + RightPad, TabHeight + 3);
}

QSize TFilesTabBar::minimumTabSizeHint(int index) const { return tabSizeHint(index); }

void TFilesTabBar::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), palette().button());
  for (int i = 0; i < count(); ++i) {
    const TTabLook look = LookOf(i);
    const bool active = i == currentIndex();
    QRect r = tabRect(i);
    if (!r.isValid() || !r.intersects(rect()))
      continue;
    // The active tab stands out: a little higher and in the selection colour.
    if (!active)
      r.adjust(0, 2, 0, 0);
    p.fillRect(r.adjusted(0, 0, -1, 0), active ? ActiveBack : OtherBack);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.right() - 3, r.top() + 3, r.right() - 3, r.bottom() - 3);
    const QPoint icon(r.left() + IconLeft, r.top() + (r.height() - IconSize) / 2);
    const QIcon ic = FileTypeIcon(look.Known ? look.FileType : ftNone);
    if (!ic.isNull())
      ic.paint(&p, QRect(icon, QSize(IconSize, IconSize)));
    if (look.Modified) {
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::red);
      p.drawPolygon(QPolygon({icon + QPoint(-7, -2), icon + QPoint(0, -2), icon + QPoint(-7, 5)}));
      p.setRenderHint(QPainter::Antialiasing, false);
    }
    p.setPen(active ? Qt::blue : Qt::black);
    p.drawText(QRect(icon.x() + TextGap, r.top(), r.right() - icon.x() - TextGap, r.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, look.Caption);
  }
  // Where a dragged tab will go: the left edge of a tab left of it, the right edge of one right of it.
  if (OrgTabIndex >= 0 && LastTabIndex >= 0 && LastTabIndex != OrgTabIndex && LastTabIndex < count()) {
    const QRect r = tabRect(LastTabIndex);
    const int x = LastTabIndex < OrgTabIndex ? r.left() : r.right() - 2;
    p.fillRect(QRect(x, r.top(), 3, r.height()), Qt::black);
  }
}

void TFilesTabBar::mousePressEvent(QMouseEvent *e) {
  const int i = tabAt(e->position().toPoint());
  if (e->button() != Qt::LeftButton) {
    EndDrag();
    QTabBar::mousePressEvent(e);
    return;
  }
  if (i >= 0 && (e->modifiers() & Qt::ControlModifier)) {
    EndDrag();
    emit CloseRequested(i);
    e->accept();
    return;
  }
  QTabBar::mousePressEvent(e);
  OrgTabIndex = i;
  LastTabIndex = -1;
}

void TFilesTabBar::mouseMoveEvent(QMouseEvent *e) {
  const int i = tabAt(e->position().toPoint());
  if (i != HintIndex) {
    HintIndex = i;
    emit HintChanged(i);
  }
  if (OrgTabIndex >= 0 && (e->buttons() & Qt::LeftButton)) {
    const int target = i != OrgTabIndex ? i : -1;
    if (target != LastTabIndex) {
      LastTabIndex = target;
      setCursor(target >= 0 ? Qt::DragMoveCursor : Qt::ArrowCursor);
      update();
    }
  }
  QTabBar::mouseMoveEvent(e);
}

void TFilesTabBar::mouseReleaseEvent(QMouseEvent *e) {
  if (e->button() == Qt::LeftButton && OrgTabIndex >= 0) {
    const int from = OrgTabIndex, to = tabAt(e->position().toPoint());
    EndDrag();
    if (to >= 0 && to != from && from < count()) {
      {
        // The documents learn their new places from TabDropped; until then no tab change may
        // activate a document by its old place.
        const QSignalBlocker block(this);
        moveTab(from, to);
        setCurrentIndex(to);
      }
      emit TabDropped(from, to);
    }
  }
  QTabBar::mouseReleaseEvent(e);
}

void TFilesTabBar::EndDrag() {
  const bool marked = LastTabIndex >= 0;
  OrgTabIndex = -1;
  LastTabIndex = -1;
  unsetCursor();
  if (marked)
    update();
}

void TFilesTabBar::leaveEvent(QEvent *e) {
  if (HintIndex != -1) {
    HintIndex = -1;
    emit HintChanged(-1);
  }
  QTabBar::leaveEvent(e);
}

void TFilesTabBar::wheelEvent(QWheelEvent *e) {
  const int delta = e->angleDelta().y();
  if (delta == 0 || count() == 0) {
    e->ignore();
    return;
  }
  const int i = std::clamp(currentIndex() + (delta > 0 ? 1 : -1), 0, count() - 1);
  if (i != currentIndex())
    setCurrentIndex(i);
  e->accept();
}

void TFilesTabBar::contextMenuEvent(QContextMenuEvent *e) {
  EndDrag();
  QTabBar::contextMenuEvent(e);
}
