#pragma once
// A page of a tab control whose controls are made when it is first shown or first used, so that
// pages the user may never open cost nothing at start-up. Until then the page is an empty widget;
// code that reaches into its controls calls EnsureBuilt() first (the owner's accessors do).

#include <QWidget>

#include <functional>

class TLazyPage : public QWidget {
public:
  explicit TLazyPage(QWidget *parent = nullptr) : QWidget(parent) {}

  // Makes the controls if that was not done yet; then runs OnBuilt (the owner's connections and
  // settings).
  void EnsureBuilt();
  bool IsBuilt() const { return FBuilt; }
  std::function<void()> OnBuilt;

protected:
  // Makes the page's controls and layout.
  virtual void Build() = 0;
  void showEvent(QShowEvent *e) override;

private:
  bool FBuilt = false;
};
