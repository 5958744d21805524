#pragma once
// The number dialogs: one or two whole numbers (TInputNumber) and an attribute value with an
// optional CSS unit (THtmlNumDialog).
#include "core/dialogs/NumValues.h"
#include "core/editor/InsertEngine.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// Limits and stepping of one number field.
struct TNumField {
  int Min = 1;
  int Max = 1000;
  int Step = 1;
  TIncrMode Mode = imDecAuto;
};

class TInputNumber : public QDialog {
  Q_OBJECT
public:
  explicit TInputNumber(QWidget *parent = nullptr);

  // Two fields; an empty label2 hides the second field (value2 is then left alone).
  static bool Execute(QPoint pos, const QString &title, const QString &label1, int &value1,
                      const QString &label2, int &value2, TNumField field1 = {}, TNumField field2 = {},
                      QWidget *parent = nullptr);
  static bool Execute(QPoint pos, const QString &title, const QString &label, int &value,
                      TNumField field = {}, QWidget *parent = nullptr);

private:
  void Setup(int i, const QString &label, int value, TNumField field);
  QLabel *lbNumber[2];
  QSpinBox *edNumber[2];
  TNumField FFields[2];
};

// The value of an attribute: a number and, for sizes, a unit from the unit table.
class THtmlNumDialog : public QDialog {
  Q_OBJECT
public:
  explicit THtmlNumDialog(QWidget *parent = nullptr);

  // value in: the current value ("1.5em", "100%", "20"); out on OK: the composed value, or empty
  // after "no value" (Empty() is then true). Cancel leaves value as it was.
  bool Execute(const QString &caption, TAttrType type, QString &value, QPoint pos = {-1, -1});
  bool Empty() const { return FEmpty; }

private:
  void UnitChanged(int unit);
  QLabel *CapLabel;
  QDoubleSpinBox *NumberEdit;
  QComboBox *cbUnits;
  QPushButton *btnNoValue;
  bool FEmpty = false;
};

// The value dialog as the insertion engine asks it: the value, empty after "no value", nothing
// when cancelled. pos (may be empty) gives the point to show the dialog at.
TValueAsker HtmlValueAsker(THtmlNumDialog *dialog, std::function<QPoint()> pos = {});
