#pragma once
// The colour selection dialog: 16 basic colours, 16 additional colours the user can redefine
// through the full colour dialog, and "no color".
#include "core/dialogs/Colors.h"

#include <QDialog>
#include <QFrame>

class QCheckBox;
class QPushButton;

// One clickable colour field.
class TColorPanel : public QFrame {
  Q_OBJECT
public:
  explicit TColorPanel(QWidget *parent = nullptr);
  quint32 Color() const { return FColor; }
  void SetColor(quint32 color);
  // Shows the button face instead of a colour (for "no color").
  void SetEmpty();

signals:
  void Clicked(quint32 color);

protected:
  void mousePressEvent(QMouseEvent *e) override;

private:
  quint32 FColor = 0;
};

class TSelectColorDialog : public QDialog {
  Q_OBJECT
public:
  explicit TSelectColorDialog(QWidget *parent = nullptr);

  // pos (-1, -1): centred; an empty title keeps "Select color". On OK color is the choice
  // (NoColor for "no color") and list the additional colours as they are now; Cancel changes
  // neither.
  bool Execute(QPoint pos, const QString &title, TColorList &list, quint32 &color);

  TColorPanel *StdColPanels[ColorListSize];
  TColorPanel *SpecColPanels[ColorListSize];

private:
  void Choose(quint32 color);
  void ShowSelection();
  void SelectOtherColor();
  void ShowList();

  TColorList FList{};
  quint32 FCol = NoColor;
  TColorPanel *pnlColor;
  QCheckBox *cbNoColor;
  QPushButton *btnSelectColor;
};

// The dialog for one call (created and released here).
bool SelectColorAt(QPoint pos, const QString &title, TColorList &list, quint32 &color,
                   QWidget *parent = nullptr);
