#include "ui/highlight/HtmlOptDlg.h"

#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/SelectColorDlg.h"
#include "ui/highlight/HighlightStyles.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QPoint Below(QWidget *w) {
  return w->mapToGlobal(QPoint(0, w->height()));
}

QSpinBox *UpDown(QWidget *parent, const char *name) {
  auto *s = new QSpinBox(parent);
  s->setObjectName(QString::fromLatin1(name));
  s->setRange(0, 100);
  return s;
}

QCheckBox *Box(QWidget *parent, const char *caption, const char *name) {
  auto *c = new QCheckBox(_(caption), parent);
  c->setObjectName(QString::fromLatin1(name));
  return c;
}
} // namespace

// ---- font dialog ------------------------------------------------------------------------------

TSelectFontDialog::TSelectFontDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(_("Select font"));
  setObjectName(QStringLiteral("SelectFontDialog"));
  auto *lay = new QGridLayout(this);
  cbFont = new QFontComboBox(this);
  cbFont->setObjectName(QStringLiteral("cbFont"));
  edSize = new QSpinBox(this);
  edSize->setObjectName(QStringLiteral("edSize"));
  edSize->setRange(4, 200);
  edSize->setValue(10);
  cbBold = Box(this, "Bold", "cbBold");
  cbItalic = Box(this, "Italic", "cbItalic");
  btnColor = new QPushButton(_("Color"), this);
  btnColor->setObjectName(QStringLiteral("btnColor"));
  btnColor->setToolTip(_("Select color"));
  edPreview = new QLineEdit(this);
  edPreview->setObjectName(QStringLiteral("edPreview"));
  edPreview->setReadOnly(true);
  lay->addWidget(cbFont, 0, 0, 1, 2);
  lay->addWidget(edSize, 0, 2);
  lay->addWidget(cbBold, 1, 0);
  lay->addWidget(cbItalic, 1, 1);
  lay->addWidget(btnColor, 1, 2);
  lay->addWidget(edPreview, 2, 0, 1, 3);
  lay->addWidget(AddOkCancel(this), 3, 0, 1, 3);
  connect(cbFont, &QFontComboBox::currentFontChanged, this, [this] { UpdatePreview(); });
  connect(edSize, &QSpinBox::valueChanged, this, [this] { UpdatePreview(); });
  connect(cbBold, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
  connect(cbItalic, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
  connect(btnColor, &QPushButton::clicked, this, [this] {
    quint32 c = FColor;
    if (SelectColorAt(Below(btnColor), _("Select font color"), FColors, c, this) && c != NoColor) {
      FColor = c;
      UpdatePreview();
    }
  });
}

void TSelectFontDialog::UpdatePreview() {
  QFont f = cbFont->currentFont();
  f.setPointSize(edSize->value());
  f.setBold(cbBold->isChecked());
  f.setItalic(cbItalic->isChecked());
  edPreview->setFont(f);
  QPalette pal = edPreview->palette();
  pal.setColor(QPalette::Text, ColorOf(FColor));
  edPreview->setPalette(pal);
}

bool TSelectFontDialog::Execute(QPoint pos, bool fixedPitch, TColorList &colors, const QString &preview,
                                TFontSettings &font) {
  cbFont->setFontFilters(fixedPitch ? QFontComboBox::MonospacedFonts : QFontComboBox::AllFonts);
  QFont want(font.FontName.isEmpty() ? QStringLiteral("Courier New") : font.FontName);
  cbFont->setCurrentFont(want);
  edSize->setValue(font.FontSize > 0 ? font.FontSize : 10);
  cbBold->setChecked(font.FontStyle & hsBold);
  cbItalic->setChecked(font.FontStyle & hsItalic);
  FColor = font.FontColor;
  FColors = colors;
  edPreview->setText(preview);
  UpdatePreview();
  PlaceDialog(this, pos);
  const bool ok = exec() == QDialog::Accepted;
  colors = FColors;
  if (ok) {
    font.FontName = cbFont->currentFont().family();
    font.FontSize = edSize->value();
    font.FontStyle = (cbBold->isChecked() ? hsBold : 0) | (cbItalic->isChecked() ? hsItalic : 0);
    font.FontColor = FColor;
  }
  return ok;
}

// ---- view settings ----------------------------------------------------------------------------

THtmlOptionsDialog::THtmlOptionsDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("HtmlOptionsDialog"));
  auto *main = new QVBoxLayout(this);

  gbHighlight = new QGroupBox(_("Syntax highlighting"), this);
  gbHighlight->setObjectName(QStringLiteral("gbHighlight"));
  auto *hl = new QGridLayout(gbHighlight);
  cbUseHighlight = Box(gbHighlight, "Use on these types:", "cbUseHighlight");
  edTypes = new QLineEdit(gbHighlight);
  edTypes->setObjectName(QStringLiteral("edTypes"));
  lbAttributes = new QListWidget(gbHighlight);
  lbAttributes->setObjectName(QStringLiteral("lbAttributes"));
  btnForeground = new QPushButton(_("Foreground"), gbHighlight);
  btnForeground->setObjectName(QStringLiteral("btnForeground"));
  btnBackground = new QPushButton(_("Background"), gbHighlight);
  btnBackground->setObjectName(QStringLiteral("btnBackground"));
  cbBold = Box(gbHighlight, "Bold", "cbBold");
  cbItalic = Box(gbHighlight, "Italic", "cbItalic");
  cbUnderline = Box(gbHighlight, "Underline", "cbUnderline");
  lbSample = new QLabel(gbHighlight);
  lbSample->setObjectName(QStringLiteral("lbSample"));
  lbSample->setAutoFillBackground(true);
  lbSample->setMinimumHeight(40);
  lbSample->setFrameShape(QFrame::Box);
  auto *buttons = new QVBoxLayout;
  for (QWidget *w :
       std::initializer_list<QWidget *>{btnForeground, btnBackground, cbBold, cbItalic, cbUnderline})
    buttons->addWidget(w);
  buttons->addStretch();
  hl->addWidget(cbUseHighlight, 0, 0);
  hl->addWidget(edTypes, 0, 1, 1, 2);
  hl->addWidget(lbAttributes, 1, 0, 1, 2);
  hl->addLayout(buttons, 1, 2);
  hl->addWidget(lbSample, 2, 0, 1, 3);
  main->addWidget(gbHighlight);

  auto *row = new QHBoxLayout;
  btnFont = new QPushButton(_("Font"), this);
  btnFont->setObjectName(QStringLiteral("btnFont"));
  btnBgColor = new QPushButton(_("Bg. Color"), this);
  btnBgColor->setObjectName(QStringLiteral("btnBgColor"));
  btnBgColor->setToolTip(_("Default background color"));
  row->addWidget(btnFont);
  row->addWidget(btnBgColor);
  row->addStretch();
  main->addLayout(row);

  auto *groups = new QHBoxLayout;
  auto *tabs = new QGroupBox(_("Tabs"), this);
  auto *tl = new QFormLayout(tabs);
  cbTabsAuto = Box(tabs, "Automatic", "cbTabsAuto");
  cbTabsSpaces = Box(tabs, "Fill with spaces", "cbTabsSpaces");
  edTabWidth = UpDown(tabs, "edTabWidth");
  tl->addRow(cbTabsAuto);
  tl->addRow(cbTabsSpaces);
  tl->addRow(_("Tabwidth:"), edTabWidth);
  groups->addWidget(tabs);

  auto *other = new QGroupBox(_("Other"), this);
  auto *ol = new QVBoxLayout(other);
  cbAutoIndent = Box(other, "Automatic indent", "cbAutoIndent");
  cbSpecialChars = Box(other, "Show special characters", "cbSpecialChars");
  cbAltColumns = Box(other, "Mark columns with Alt", "cbAltColumns");
  cbBehindLine = Box(other, "Cursor behind line and", "cbBehindLine");
  cbKeepCaret = Box(other, "Keep cursor position", "cbKeepCaret");
  for (QWidget *w : std::initializer_list<QWidget *>{cbAutoIndent, cbSpecialChars, cbAltColumns, cbBehindLine,
                                                     cbKeepCaret})
    ol->addWidget(w);
  groups->addWidget(other);

  auto *lines = new QGroupBox(_("Line numbers"), this);
  auto *ll = new QFormLayout(lines);
  cbGutter = Box(lines, "Gutter at left margin", "cbGutter");
  cbLineNumbers = Box(lines, "Show", "cbLineNumbers");
  cbLeadingZeros = Box(lines, "Leading zeros", "cbLeadingZeros");
  edDigits = UpDown(lines, "edDigits");
  ll->addRow(cbGutter);
  ll->addRow(cbLineNumbers);
  ll->addRow(cbLeadingZeros);
  ll->addRow(_("Digits:"), edDigits);
  groups->addWidget(lines);

  auto *margins = new QGroupBox(_("Margins"), this);
  auto *ml = new QFormLayout(margins);
  edRightEdge = UpDown(margins, "edRightEdge");
  ml->addRow(_("Right edge marker at:"), edRightEdge);
  groups->addWidget(margins);
  main->addLayout(groups);
  main->addWidget(AddOkCancel(this));

  connect(lbAttributes, &QListWidget::currentRowChanged, this, [this] { SelectAttribute(); });
  for (QCheckBox *c : {cbBold, cbItalic, cbUnderline})
    connect(c, &QCheckBox::toggled, this, [this] { StyleClicked(); });
  connect(btnForeground, &QPushButton::clicked, this, [this] { ChooseColor(true); });
  connect(btnBackground, &QPushButton::clicked, this, [this] { ChooseColor(false); });
  connect(btnFont, &QPushButton::clicked, this, [this] { ChooseFont(); });
  connect(btnBgColor, &QPushButton::clicked, this, [this] { ChooseBackground(); });
  // Keeping the caret's column only matters while the caret cannot go past the line end.
  connect(cbBehindLine, &QCheckBox::toggled, this, [this](bool on) { cbKeepCaret->setEnabled(!on); });
}

bool THtmlOptionsDialog::Execute(TFileTypes type, THighlightSet *highlight, TSynEditProperties &props,
                                 TSynGutterProperties &gutter, QPoint pos) {
  FType = type;
  FProps = props;
  cbGutter->setChecked(gutter.Visible);
  cbLineNumbers->setChecked(gutter.ShowLineNumbers);
  cbLeadingZeros->setChecked(gutter.LeadingZeros);
  edDigits->setValue(gutter.DigitCount);
  edRightEdge->setValue(props.RightEdge);
  edTabWidth->setValue(props.TabWidth);
  const bool withHl = highlight && type != ftText && !highlight->IsEmpty();
  gbHighlight->setEnabled(withHl);
  cbUseHighlight->setChecked(withHl && props.Highlight);
  edTypes->setText(props.Types);
  const auto bit = [&](quint32 b) { return (props.Options & b) != 0; };
  cbTabsAuto->setChecked(bit(eoSmartTabs));
  cbTabsSpaces->setChecked(bit(eoTabsToSpaces));
  cbAutoIndent->setChecked(bit(eoAutoIndent));
  cbSpecialChars->setChecked(bit(eoShowSpecialChars));
  cbAltColumns->setChecked(bit(eoAltSetsColumnMode));
  cbBehindLine->setChecked(bit(eoScrollPastEol));
  cbKeepCaret->setChecked(bit(eoKeepCaretX));
  cbKeepCaret->setEnabled(!cbBehindLine->isChecked());
  ShowBgSwatch();

  FShowing = true;
  lbAttributes->clear();
  FWork = withHl ? *highlight : THighlightSet();
  if (withHl)
    for (const THighlightEntry &e : HighlightEntries(type))
      lbAttributes->addItem(_(e.Caption));
  FShowing = false;
  if (lbAttributes->count())
    lbAttributes->setCurrentRow(0);
  SelectAttribute();
  setWindowTitle(_(HighlightDialogCaption(type)));
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  TakeValues(withHl ? highlight : nullptr, props, gutter);
  return true;
}

void THtmlOptionsDialog::TakeValues(THighlightSet *highlight, TSynEditProperties &props,
                                    TSynGutterProperties &gutter) const {
  if (highlight && !FWork.IsEmpty())
    *highlight = FWork;
  gutter.Visible = cbGutter->isChecked();
  gutter.ShowLineNumbers = cbLineNumbers->isChecked();
  gutter.LeadingZeros = cbLeadingZeros->isChecked();
  gutter.DigitCount = edDigits->value();
  props.Highlight = FType != ftText && cbUseHighlight->isChecked();
  props.Types = NormaliseTypeList(edTypes->text());
  const std::pair<QCheckBox *, quint32> bits[] = {
      {cbTabsAuto, eoSmartTabs},           {cbTabsSpaces, eoTabsToSpaces},
      {cbAutoIndent, eoAutoIndent},        {cbSpecialChars, eoShowSpecialChars},
      {cbAltColumns, eoAltSetsColumnMode}, {cbBehindLine, eoScrollPastEol},
      {cbKeepCaret, eoKeepCaretX}};
  for (const auto &[box, b] : bits)
    props.Options = box->isChecked() ? (props.Options | b) : (props.Options & ~b);
  props.TabWidth = edTabWidth->value();
  props.RightEdge = edRightEdge->value();
  props.FontName = FProps.FontName;
  props.FontSize = FProps.FontSize;
  props.FontStyle = FProps.FontStyle;
  props.BgColor = FProps.BgColor;
}

THighlightAttr *THtmlOptionsDialog::CurrentAttribute() {
  const auto &entries = HighlightEntries(FType);
  const int row = lbAttributes->currentRow();
  if (FWork.IsEmpty() || row < 0 || row >= int(entries.size()))
    return nullptr;
  return FWork.Find(QString::fromLatin1(entries[size_t(row)].Attribute));
}

void THtmlOptionsDialog::SelectAttribute() {
  if (FShowing)
    return;
  const THighlightAttr *a = CurrentAttribute();
  FShowing = true;
  cbBold->setChecked(a && (a->Style & hsBold));
  cbItalic->setChecked(a && (a->Style & hsItalic));
  cbUnderline->setChecked(a && (a->Style & hsUnderline));
  FShowing = false;
  UpdatePreview();
}

void THtmlOptionsDialog::UpdatePreview() {
  const THighlightAttr *a = CurrentAttribute();
  QListWidgetItem *item = lbAttributes->currentItem();
  lbSample->setText(item && a ? HighlightSampleText(item->text()) : QString());
  QFont f(FProps.FontName, std::max(4, FProps.FontSize));
  f.setStyleHint(QFont::TypeWriter);
  if (a) {
    f.setBold(a->Style & hsBold);
    f.setItalic(a->Style & hsItalic);
    f.setUnderline(a->Style & hsUnderline);
    f.setStrikeOut(a->Style & hsStrikeOut);
  }
  lbSample->setFont(f);
  QPalette pal = lbSample->palette();
  pal.setColor(QPalette::WindowText, a ? ColorOf(a->Foreground) : QColor(Qt::black));
  pal.setColor(QPalette::Window, a && a->Background != NoColor ? ColorOf(a->Background) : QColor(Qt::white));
  lbSample->setPalette(pal);
}

void THtmlOptionsDialog::StyleClicked() {
  if (FShowing)
    return;
  if (THighlightAttr *a = CurrentAttribute()) {
    const int keep = a->Style & hsStrikeOut;
    a->Style = keep | (cbBold->isChecked() ? hsBold : 0) | (cbItalic->isChecked() ? hsItalic : 0) |
               (cbUnderline->isChecked() ? hsUnderline : 0);
  }
  UpdatePreview();
}

void THtmlOptionsDialog::ChooseColor(bool foreground) {
  THighlightAttr *a = CurrentAttribute();
  if (!a)
    return;
  quint32 c = foreground ? a->Foreground : a->Background;
  QPushButton *b = foreground ? btnForeground : btnBackground;
  if (!SelectColorAt(Below(b),
                     foreground ? _("Syntax highlighting: foreground color")
                                : _("Syntax highlighting: background color"),
                     FColors, c, this))
    return;
  if (foreground)
    a->Foreground = c == NoColor ? 0 : c; // text always has a colour
  else
    a->Background = c;
  UpdatePreview();
}

void THtmlOptionsDialog::ChooseFont() {
  TFontSettings f{FProps.FontName, FProps.FontSize, FProps.FontStyle, 0};
  TSelectFontDialog dlg(this);
  if (dlg.Execute(Below(btnForeground), true, FColors, _("The quick brown fox jumps .."), f)) {
    FProps.FontName = f.FontName;
    FProps.FontSize = f.FontSize;
    FProps.FontStyle = f.FontStyle;
    UpdatePreview();
  }
}

void THtmlOptionsDialog::ChooseBackground() {
  quint32 c = FProps.BgColor;
  if (SelectColorAt(Below(btnBgColor), _("Select background color"), FColors, c, this) && c != NoColor) {
    FProps.BgColor = c;
    ShowBgSwatch();
  }
}

void THtmlOptionsDialog::ShowBgSwatch() {
  QPixmap pm(16, 12);
  pm.fill(ColorOf(FProps.BgColor));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 11);
  p.end();
  btnBgColor->setIcon(QIcon(pm));
}
