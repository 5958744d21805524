#pragma once
// A tool bar that makes the buttons of its actions only when it is first shown. A document has
// nine tool pages with some two hundred commands, of which one page is on view: the others cost
// nothing until the user turns to them. actions() lists every action from the start.
#include <QToolBar>

class TToolPage : public QToolBar {
  Q_OBJECT
public:
  using QToolBar::QToolBar;
  // Makes the buttons now (also done when the page is first shown).
  void Realize();
  bool Realized() const { return FRealized; }

protected:
  void actionEvent(QActionEvent *e) override;
  void showEvent(QShowEvent *e) override;

private:
  bool FRealized = false;
};
