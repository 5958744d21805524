#pragma once
// The frame around the documents: the left page control (pcLeft) with its splitter, and the
// panel above the documents (pcTop) with its drag bar (pnlSplit). Tools of the main window add
// their pages with one call each; the frame remembers the width of the left side and the height
// the top panel has when it is shown, so that both survive a restart.
#include <QWidget>

class QSplitter;
class QTabWidget;

class TSidePanels : public QWidget {
  Q_OBJECT
public:
  // documents is the area of the document windows; the frame takes it in.
  TSidePanels(QWidget *documents, QWidget *parent = nullptr);

  int AddLeftPage(QWidget *page, const QString &caption);
  int AddTopPage(QWidget *page, const QString &caption);
  QTabWidget *LeftPages() const { return FLeft; }
  QTabWidget *TopPages() const { return FTop; }

  // Width of the left page control (FormSplit).
  int LeftWidth() const { return FLeftWidth; }
  void SetLeftWidth(int w);
  // Height of the top panel while it is shown (MacHeight).
  int TopHeight() const { return FTopHeight; }
  void SetTopHeight(int h);
  bool TopShown() const { return FTopShown; }
  void ShowTop(bool on);

signals:
  // The top panel was shown or hidden, by a command or by dragging its bar to the top.
  void TopShownChanged(bool shown);

protected:
  void showEvent(QShowEvent *e) override;
  void resizeEvent(QResizeEvent *e) override;

private:
  void ApplySizes();

  QSplitter *FHorz, *FVert;
  QTabWidget *FLeft, *FTop;
  int FLeftWidth = 271;
  int FTopHeight = 200;
  bool FTopShown = false;
  bool FApplying = false;
};
