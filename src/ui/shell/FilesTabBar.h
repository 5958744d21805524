#pragma once
// The tab bar below the documents: one drawn tab per document with its file-type icon and a red
// mark when modified, Ctrl+click to close, dragging to reorder (a black bar marks where the tab
// goes), the mouse wheel to step through the tabs, and hover hints.
#include "core/common/Types.h"

#include <QTabBar>
#include <functional>

class TFilesTabBar : public QTabBar {
  Q_OBJECT
public:
  explicit TFilesTabBar(QWidget *parent = nullptr);

  struct TTabLook {
    QString Caption;
    TFileTypes FileType = ftNone;
    bool Modified = false;
    bool Known = false; // false: the tab has no document ("<unknown>")
  };
  // What a tab shows; the main window answers from its documents.
  std::function<TTabLook(int index)> Look;

  int OrgTabIndex = -1;  // tab where a drag started
  int LastTabIndex = -1; // tab marked as the drop place
  int HintIndex = -1;    // tab under the mouse

  static constexpr int TabHeight = 21;

signals:
  // Ctrl+click on a tab.
  void CloseRequested(int index);
  // The pointer moved onto another tab (-1: it left the bar).
  void HintChanged(int index);
  // A dragged tab was dropped on another one; the tabs are in their new order already.
  void TabDropped(int from, int to);

protected:
  QSize tabSizeHint(int index) const override;
  QSize minimumTabSizeHint(int index) const override;
  void paintEvent(QPaintEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void leaveEvent(QEvent *e) override;
  void wheelEvent(QWheelEvent *e) override;
  void contextMenuEvent(QContextMenuEvent *e) override;

private:
  TTabLook LookOf(int index) const;
  void EndDrag();
};
