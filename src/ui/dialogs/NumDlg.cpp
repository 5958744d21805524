#include "ui/dialogs/NumDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {
// The number field of the value dialog. A plain QDoubleSpinBox refuses a decimal separator when
// the unit has no decimals, so typing "2.6" for a percentage left "2"; here a typed fraction is
// taken and rounded to the unit's decimals (2.6 gives 3). Both "." and the locale's separator
// are accepted, since values are written with "." in code.
class TValueSpinBox : public QDoubleSpinBox {
public:
  using QDoubleSpinBox::QDoubleSpinBox;

protected:
  QValidator::State validate(QString &input, int &) const override {
    const QString t = input.trimmed();
    if (t.isEmpty() || t == u'-' || t == u'+')
      return QValidator::Intermediate;
    bool ok = false;
    const double v = Parse(t, &ok);
    if (!ok) {
      // "2." or "2," while typing.
      const QChar last = t.back();
      if ((last == u'.' || last == DecimalSep()) && !t.chopped(1).isEmpty()) {
        Parse(t.chopped(1), &ok);
        if (ok)
          return QValidator::Intermediate;
      }
      return QValidator::Invalid;
    }
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  }
  double valueFromText(const QString &text) const override {
    bool ok = false;
    const double v = Parse(text.trimmed(), &ok);
    if (!ok)
      return value();
    const double f = std::pow(10.0, decimals());
    return std::round(v * f) / f;
  }

private:
  QChar DecimalSep() const {
    const QString p = locale().decimalPoint();
    return p.isEmpty() ? QChar(u'.') : p[0];
  }
  double Parse(QString t, bool *ok) const {
    QLocale l = locale();
    l.setNumberOptions(l.numberOptions() | QLocale::RejectGroupSeparator);
    t.replace(u'.', DecimalSep());
    return l.toDouble(t, ok);
  }
};
} // namespace

TInputNumber::TInputNumber(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("InputNumber"));
  auto *layout = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  for (int i = 0; i < 2; ++i) {
    lbNumber[i] = new QLabel(this);
    edNumber[i] = new QSpinBox(this);
    edNumber[i]->setObjectName(QStringLiteral("edNumber%1").arg(i + 1));
    edNumber[i]->setMinimumWidth(90);
    lbNumber[i]->setBuddy(edNumber[i]);
    grid->addWidget(lbNumber[i], i, 0);
    grid->addWidget(edNumber[i], i, 1);
    connect(edNumber[i], &QSpinBox::valueChanged, this, [this, i](int v) {
      edNumber[i]->setSingleStep(StepForValue(v, FFields[i].Mode, FFields[i].Step));
    });
  }
  layout->addLayout(grid);
  layout->addWidget(AddOkCancel(this));
}

void TInputNumber::Setup(int i, const QString &label, int value, TNumField field) {
  FFields[i] = field;
  lbNumber[i]->setText(label);
  edNumber[i]->setRange(std::min(field.Min, field.Max), std::max(field.Min, field.Max));
  edNumber[i]->setSingleStep(StepForValue(value, field.Mode, field.Step));
  edNumber[i]->setValue(value);
  edNumber[i]->selectAll();
}

bool TInputNumber::Execute(QPoint pos, const QString &title, const QString &label1, int &value1,
                           const QString &label2, int &value2, TNumField field1, TNumField field2,
                           QWidget *parent) {
  TInputNumber dlg(parent);
  dlg.setWindowTitle(title);
  dlg.Setup(0, label1, value1, field1);
  const bool two = !label2.isEmpty();
  if (two)
    dlg.Setup(1, label2, value2, field2);
  dlg.lbNumber[1]->setVisible(two);
  dlg.edNumber[1]->setVisible(two);
  dlg.edNumber[0]->setFocus();
  PlaceDialog(&dlg, pos);
  if (dlg.exec() != QDialog::Accepted)
    return false;
  // Text typed but not yet committed counts.
  dlg.edNumber[0]->interpretText();
  value1 = dlg.edNumber[0]->value();
  if (two) {
    dlg.edNumber[1]->interpretText();
    value2 = dlg.edNumber[1]->value();
  }
  return true;
}

bool TInputNumber::Execute(QPoint pos, const QString &title, const QString &label, int &value,
                           TNumField field, QWidget *parent) {
  int unused = 0;
  return Execute(pos, title, label, value, QString(), unused, field, {}, parent);
}

THtmlNumDialog::THtmlNumDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HtmlNumDialog"));
  setWindowTitle(_("Value of attribute"));
  auto *layout = new QVBoxLayout(this);
  CapLabel = new QLabel(this);
  CapLabel->setObjectName(QStringLiteral("CapLabel"));
  layout->addWidget(CapLabel);
  auto *row = new QHBoxLayout;
  NumberEdit = new TValueSpinBox(this);
  NumberEdit->setObjectName(QStringLiteral("NumberEdit"));
  NumberEdit->setRange(-9999999, 9999999);
  NumberEdit->setMinimumWidth(110);
  row->addWidget(NumberEdit);
  cbUnits = new QComboBox(this);
  cbUnits->setObjectName(QStringLiteral("cbUnits"));
  for (const TAttrUnit &u : AttrUnits)
    cbUnits->addItem(*u.Caption ? _(u.Caption) : QString());
  connect(cbUnits, &QComboBox::currentIndexChanged, this, &THtmlNumDialog::UnitChanged);
  row->addWidget(cbUnits);
  layout->addLayout(row);
  QDialogButtonBox *buttons = AddOkCancel(this);
  btnNoValue = buttons->addButton(_("no value"), QDialogButtonBox::ActionRole);
  btnNoValue->setObjectName(QStringLiteral("btnNoValue"));
  btnNoValue->setAutoDefault(false);
  connect(btnNoValue, &QPushButton::clicked, this, [this] {
    FEmpty = true;
    QDialog::accept();
  });
  layout->addWidget(buttons);
}

void THtmlNumDialog::UnitChanged(int unit) {
  if (unit >= 0 && unit < AttrUnitCount)
    NumberEdit->setDecimals(AttrUnits[unit].Decimals);
}

bool THtmlNumDialog::Execute(const QString &caption, TAttrType type, QString &value, QPoint pos) {
  CapLabel->setText(caption);
  const TAttrValueParts parts = SplitAttrValue(value);
  const QLocale locale = NumberEdit->locale();
  const QString point = locale.decimalPoint();
  const QChar sep = point.isEmpty() ? QChar(u'.') : point[0];
  const int unit = type == atSize ? parts.Unit : 0;
  cbUnits->setVisible(type == atSize);
  cbUnits->blockSignals(true);
  cbUnits->setCurrentIndex(unit);
  cbUnits->blockSignals(false);
  NumberEdit->setDecimals(AttrUnits[unit].Decimals);
  NumberEdit->setValue(ReadAttrNumber(parts.Number, sep));
  NumberEdit->selectAll();
  FEmpty = false;
  NumberEdit->setFocus();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  if (FEmpty) {
    value.clear();
    return true;
  }
  NumberEdit->interpretText();
  value = ComposeAttrValue(NumberEdit->value(), type == atSize ? cbUnits->currentIndex() : 0);
  return true;
}

TValueAsker HtmlValueAsker(THtmlNumDialog *dialog, std::function<QPoint()> pos) {
  return [dialog, pos](const QString &prompt, TAttrType type,
                       const QString &defaultValue) -> std::optional<QString> {
    QString value = defaultValue;
    if (!dialog->Execute(prompt, type, value, pos ? pos() : QPoint(-1, -1)))
      return std::nullopt;
    return value;
  };
}
