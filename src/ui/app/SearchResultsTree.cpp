#include "ui/app/SearchResultsTree.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
enum TRole { rlFile = Qt::UserRole, rlBeginLine, rlBeginChar, rlEndLine, rlEndChar, rlSpaces };

// Hit lines: the part before the first "|" and after the second in blue (yellow when selected),
// the hit between them in red; file nodes bold.
class THitDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void initStyleOption(QStyleOptionViewItem *o, const QModelIndex &index) const override {
    QStyledItemDelegate::initStyleOption(o, index);
    if (!index.parent().isValid())
      o->font.setBold(true);
  }

  void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    if (!index.parent().isValid()) {
      QStyledItemDelegate::paint(p, option, index);
      return;
    }
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const QString text = o.text;
    o.text.clear();
    const QWidget *w = o.widget;
    QStyle *style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
    const QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &o, w).adjusted(2, 0, 0, 0);
    const bool selected = o.state & QStyle::State_Selected;
    const QColor outer = selected ? QColor(Qt::yellow) : QColor(Qt::blue);
    const qsizetype m1 = text.indexOf(u'|');
    const qsizetype m2 = m1 < 0 ? -1 : text.indexOf(u'|', m1 + 1);
    QList<QPair<QString, QColor>> pieces;
    if (m1 < 0) {
      pieces << qMakePair(text, outer);
    } else {
      pieces << qMakePair(text.left(m1), outer);
      if (m2 < 0) {
        pieces << qMakePair(text.mid(m1 + 1), QColor(Qt::red));
      } else {
        pieces << qMakePair(text.mid(m1 + 1, m2 - m1 - 1), QColor(Qt::red));
        pieces << qMakePair(text.mid(m2 + 1), outer);
      }
    }
    p->save();
    p->setFont(o.font);
    p->setClipRect(r);
    int x = r.left();
    const QFontMetrics fm(o.font);
    for (const auto &[s, c] : pieces) {
      p->setPen(c);
      p->drawText(QRect(x, r.top(), r.right() - x + 1, r.height()), Qt::AlignVCenter | Qt::AlignLeft, s);
      x += fm.horizontalAdvance(s);
    }
    p->restore();
  }
};
} // namespace

TSearchResultsTree::TSearchResultsTree(QWidget *parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformRowHeights(true);
  setItemDelegate(new THitDelegate(this));
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) {
    const TTarget t = TargetOf(item);
    if (t.Valid)
      emit OpenRequested(t);
  });
}

QTreeWidgetItem *TSearchResultsTree::AddFile(const QString &fileName, const QString &text, bool sorted) {
  auto *item = new QTreeWidgetItem({text});
  item->setData(0, rlFile, fileName);
  static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::File);
  item->setIcon(0, icon);
  int at = topLevelItemCount();
  if (sorted) {
    // Binary search: a run over thousands of files must not get slower with every file.
    int lo = 0, hi = at;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (QString::compare(topLevelItem(mid)->text(0), text, Qt::CaseInsensitive) <= 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    at = lo;
  }
  insertTopLevelItem(at, item);
  return item;
}

QTreeWidgetItem *TSearchResultsTree::AddHit(QTreeWidgetItem *file, const QString &text,
                                            const TTextBlockPos &pos) {
  auto *item = new QTreeWidgetItem(file, {text});
  item->setData(0, rlBeginLine, pos.BBegin.Line);
  item->setData(0, rlBeginChar, pos.BBegin.Char);
  item->setData(0, rlEndLine, pos.BEnd.Line);
  item->setData(0, rlEndChar, pos.BEnd.Char);
  item->setData(0, rlSpaces, pos.FSpaces);
  return item;
}

TSearchResultsTree::TTarget TSearchResultsTree::TargetOf(const QTreeWidgetItem *item) {
  TTarget t;
  if (!item)
    return t;
  if (!item->parent()) {
    t.FileName = item->data(0, rlFile).toString();
    t.Pos.BBegin = t.Pos.BEnd = TBufferCoord{1, 1};
  } else {
    t.FileName = item->parent()->data(0, rlFile).toString();
    t.Pos.BBegin = TBufferCoord{item->data(0, rlBeginChar).toInt(), item->data(0, rlBeginLine).toInt()};
    t.Pos.BEnd = TBufferCoord{item->data(0, rlEndChar).toInt(), item->data(0, rlEndLine).toInt()};
    t.Pos.FSpaces = item->data(0, rlSpaces).toInt();
  }
  t.Valid = !t.FileName.isEmpty();
  return t;
}

void TSearchResultsTree::keyPressEvent(QKeyEvent *e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
    const TTarget t = CurrentTarget();
    if (t.Valid)
      emit OpenRequested(t);
    return;
  }
  QTreeWidget::keyPressEvent(e);
}
