#pragma once
// The trees of search hits, anchors and broken links: a node per file (bold) and a child per hit
// whose text marks the hit between two "|" (drawn in colour, the markers themselves hidden).
// Each child keeps the range to select when it is opened.
#include "core/app/TextBlockPos.h"

#include <QTreeWidget>

class TSearchResultsTree : public QTreeWidget {
  Q_OBJECT
public:
  explicit TSearchResultsTree(QWidget *parent = nullptr);

  // A file node; sorted keeps file nodes in the order of their texts, else they are appended.
  // fileName is the full name the node opens; text what the node shows.
  QTreeWidgetItem *AddFile(const QString &fileName, const QString &text, bool sorted);
  QTreeWidgetItem *AddHit(QTreeWidgetItem *file, const QString &text, const TTextBlockPos &pos);

  // What opening the item means: the file, and the range to select (1:1 for a file node).
  struct TTarget {
    QString FileName;
    TTextBlockPos Pos;
    bool Valid = false;
  };
  static TTarget TargetOf(const QTreeWidgetItem *item);
  TTarget CurrentTarget() const { return TargetOf(currentItem()); }

signals:
  // Double click or Enter on a node.
  void OpenRequested(const TSearchResultsTree::TTarget &target);

protected:
  void keyPressEvent(QKeyEvent *e) override;
};
