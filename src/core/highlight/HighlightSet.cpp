#include "core/highlight/HighlightSet.h"

#include "core/common/IniFileUtils.h"

#include <QFileInfo>

namespace {
struct TAttrRow {
  const char *Name;
  quint32 Fg;
  quint32 Bg;
  int Style;
};

constexpr quint32 Black = RgbToColor(0, 0, 0);
constexpr quint32 Navy = RgbToColor(0, 0, 0x80);
constexpr quint32 Blue = RgbToColor(0, 0, 0xFF);
constexpr quint32 Green = RgbToColor(0, 0x80, 0);
constexpr quint32 Maroon = RgbToColor(0x80, 0, 0);
constexpr quint32 Purple = RgbToColor(0x80, 0, 0x80);
constexpr quint32 Teal = RgbToColor(0, 0x80, 0x80);
constexpr quint32 Olive = RgbToColor(0x80, 0x80, 0);
constexpr quint32 Red = RgbToColor(0xFF, 0, 0);
constexpr quint32 Gray = RgbToColor(0x80, 0x80, 0x80);
constexpr quint32 Brown = RgbToColor(0xA0, 0x50, 0x00);
constexpr quint32 Rust = RgbToColor(0xA0, 0x20, 0x20);

// Built-in colours, one row per attribute in file order.
const std::vector<TAttrRow> &Rows(TFileTypes type) {
  static const std::vector<TAttrRow> html = {
      {"Comment", Gray, NoColor, hsItalic}, {"EscapeAmpersand", Purple, NoColor, 0},
      {"Identifier", Maroon, NoColor, 0},   {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},         {"Symbol", Navy, NoColor, 0},
      {"Text", Black, NoColor, 0},          {"UnknownWord", Red, NoColor, hsBold},
      {"Value", Blue, NoColor, 0},
  };
  static const std::vector<TAttrRow> css = {
      {"AtRules", Purple, NoColor, hsBold},   {"Attribute", Teal, NoColor, 0},
      {"ColorValue", Brown, NoColor, 0},      {"Comment", Gray, NoColor, hsItalic},
      {"Important", Red, NoColor, hsBold},    {"Number", Purple, NoColor, 0},
      {"Property", Maroon, NoColor, 0},       {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},           {"String", Rust, NoColor, 0},
      {"Symbol", Navy, NoColor, 0},           {"Text", Black, NoColor, 0},
      {"UndefinedProperty", Red, NoColor, 0}, {"Value", Blue, NoColor, 0},
  };
  static const std::vector<TAttrRow> js = {
      {"Comment", Gray, NoColor, hsItalic}, {"Event", Teal, NoColor, 0},
      {"Identifier", Black, NoColor, 0},    {"NonreservedKeyword", Olive, NoColor, 0},
      {"Number", Purple, NoColor, 0},       {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},         {"String", Rust, NoColor, 0},
      {"Symbol", Navy, NoColor, 0},
  };
  static const std::vector<TAttrRow> php = {
      {"Comment", Gray, NoColor, hsItalic}, {"Identifier", Black, NoColor, 0},
      {"Number", Purple, NoColor, 0},       {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},         {"String", Rust, NoColor, 0},
      {"Symbol", Navy, NoColor, 0},         {"Variable", Teal, NoColor, 0},
  };
  static const std::vector<TAttrRow> vbs = {
      {"Comment", Green, NoColor, hsItalic}, {"Identifier", Black, NoColor, 0},
      {"Number", Purple, NoColor, 0},        {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},          {"String", Rust, NoColor, 0},
      {"Symbol", Navy, NoColor, 0},
  };
  static const std::vector<TAttrRow> perl = {
      {"Comment", Green, NoColor, hsItalic},
      {"Identifier", Black, NoColor, 0},
      {"IllegalChar", Red, NoColor, 0},
      {"Number", Purple, NoColor, 0},
      {"Operator", Navy, NoColor, 0},
      {"Pragma", Olive, NoColor, hsBold},
      {"ReservedWord", Navy, NoColor, hsBold},
      {"Space", Black, NoColor, 0},
      {"String", Rust, NoColor, 0},
      {"Symbol", Navy, NoColor, 0},
      {"Variable", Teal, NoColor, 0},
  };
  static const std::vector<TAttrRow> none;
  switch (type) {
  case ftHtml:
    return html;
  case ftCss:
    return css;
  case ftJs:
    return js;
  case ftPhp:
    return php;
  case ftVbs:
    return vbs;
  case ftPerl:
    return perl;
  default:
    return none;
  }
}

bool ValidColor(qint64 v) {
  return (v >= 0 && v <= 0xFFFFFF) || v == qint64(NoColor);
}

const QString KeyBackground = QStringLiteral("Background");
const QString KeyForeground = QStringLiteral("Foreground");
const QString KeyStyle = QStringLiteral("Style");
} // namespace

THighlightSet THighlightSet::BuiltIn(TFileTypes type) {
  THighlightSet s;
  s.FType = type;
  for (const TAttrRow &r : Rows(type))
    s.FAttrs.push_back({QString::fromLatin1(r.Name), r.Fg, r.Bg, r.Style});
  return s;
}

const THighlightAttr *THighlightSet::Find(const QString &name) const {
  for (const THighlightAttr &a : FAttrs)
    if (a.Name == name)
      return &a;
  return nullptr;
}

THighlightAttr *THighlightSet::Find(const QString &name) {
  return const_cast<THighlightAttr *>(std::as_const(*this).Find(name));
}

void THighlightSet::LoadFromIni(const TUnicodeIniFile &ini) {
  for (THighlightAttr &a : FAttrs) {
    if (!ini.SectionExists(a.Name))
      continue;
    const qint64 bg = ini.ReadInt64(a.Name, KeyBackground, a.Background);
    const qint64 fg = ini.ReadInt64(a.Name, KeyForeground, a.Foreground);
    const qint64 st = ini.ReadInt64(a.Name, KeyStyle, a.Style);
    if (ValidColor(bg))
      a.Background = quint32(bg);
    if (ValidColor(fg) && fg != qint64(NoColor)) // text always has a colour
      a.Foreground = quint32(fg);
    if (st >= 0 && st <= 15)
      a.Style = int(st);
  }
}

void THighlightSet::SaveToIni(TUnicodeIniFile &ini) const {
  for (const THighlightAttr &a : FAttrs) {
    ini.WriteInt64(a.Name, KeyBackground, a.Background);
    ini.WriteInt64(a.Name, KeyForeground, a.Foreground);
    ini.WriteInteger(a.Name, KeyStyle, a.Style);
  }
}

bool HasHighlighter(TFileTypes type) {
  return type >= ftHtml && type < ftText;
}

QString HighlightFileName(const QString &iniName, TFileTypes type) {
  const QFileInfo fi(iniName);
  return fi.absolutePath() + u'/' + fi.completeBaseName() + u'-' +
         QString::fromLatin1(FileTypeInfo[type].Section) + QStringLiteral(".hlt");
}

THighlightSet LoadHighlightSet(TFileTypes type, const QString &iniName, const QString &programDir,
                               const QString &programBaseName) {
  THighlightSet set = THighlightSet::BuiltIn(type);
  if (set.IsEmpty())
    return set;
  QString file = HighlightFileName(iniName, type);
  if (!QFileInfo(file).isFile()) {
    QString dir = programDir;
    if (!dir.isEmpty() && !dir.endsWith(u'/'))
      dir += u'/';
    file = dir + programBaseName + u'-' + QString::fromLatin1(FileTypeInfo[type].Section) +
           QStringLiteral(".hlt");
    if (!QFileInfo(file).isFile())
      return set;
  }
  const auto ini = TUnicodeIniFile::CreateForRead(file);
  set.LoadFromIni(*ini);
  return set;
}

bool SaveHighlightSet(const THighlightSet &set, const QString &iniName, QString *error) {
  if (set.IsEmpty())
    return true;
  const auto ini = TUnicodeIniFile::CreateForWrite(HighlightFileName(iniName, set.Type()), true);
  set.SaveToIni(*ini);
  const bool ok = ini->UpdateFile();
  if (!ok && error)
    *error = ini->LastError();
  return ok;
}

const std::vector<THighlightEntry> &HighlightEntries(TFileTypes type) {
  static const std::vector<THighlightEntry> html = {
      {"Text (abcdefg)", "Text"},
      {"Comment (<!-- .. --!>)", "Comment"},
      {"Tags (<body> <b>)", "ReservedWord"},
      {"Attributes (width href)", "Identifier"},
      {"Values (\"http;//..\")", "Value"},
      {"Symbols", "Symbol"},
      {"Entities  (&nbsp;)", "EscapeAmpersand"},
      {"Unknown Tags", "UnknownWord"},
      {"Spaces", "Space"},
  };
  static const std::vector<THighlightEntry> css = {
      {"Comments", "Comment"},
      {"Properties", "Property"},
      {"Colors", "ColorValue"},
      {"Numbers", "Number"},
      {"@-Rules", "AtRules"},
      {"Selectors", "ReservedWord"},
      {"Attributes", "Attribute"},
      {"Spaces", "Space"},
      {"Strings", "String"},
      {"Symbols", "Symbol"},
      {"Text", "Text"},
      {"Values", "Value"},
      {"Important Marker", "Important"},
      {"Undefinined", "UndefinedProperty"},
  };
  static const std::vector<THighlightEntry> js = {
      {"Comments", "Comment"}, {"Identifiers", "Identifier"}, {"Key Words", "ReservedWord"},
      {"Events", "Event"},     {"Numbers", "Number"},         {"Spaces", "Space"},
      {"Strings", "String"},   {"Symbols", "Symbol"},         {"Undefinined", "NonreservedKeyword"},
  };
  static const std::vector<THighlightEntry> php = {
      {"Comments", "Comment"}, {"Identifiers", "Identifier"}, {"Key Words", "ReservedWord"},
      {"Numbers", "Number"},   {"Spaces", "Space"},           {"Strings", "String"},
      {"Symbols", "Symbol"},   {"Variables", "Variable"},     {"Undefinined", "Identifier"},
  };
  static const std::vector<THighlightEntry> vbs = {
      {"Comments", "Comment"}, {"Identifiers", "Identifier"}, {"Key Words", "ReservedWord"},
      {"Numbers", "Number"},   {"Spaces", "Space"},           {"Strings", "String"},
      {"Symbols", "Symbol"},   {"Undefinined", "Identifier"},
  };
  static const std::vector<THighlightEntry> perl = {
      {"Comments", "Comment"},   {"Identifiers", "Identifier"}, {"Key Words", "ReservedWord"},
      {"Numbers", "Number"},     {"Operators", "Operator"},     {"Pragmas", "Pragma"},
      {"Spaces", "Space"},       {"Strings", "String"},         {"Symbols", "Symbol"},
      {"Variables", "Variable"}, {"Invalid", "IllegalChar"},
  };
  static const std::vector<THighlightEntry> none;
  switch (type) {
  case ftHtml:
    return html;
  case ftCss:
    return css;
  case ftJs:
    return js;
  case ftPhp:
    return php;
  case ftVbs:
    return vbs;
  case ftPerl:
    return perl;
  default:
    return none;
  }
}

const char *HighlightDialogCaption(TFileTypes type) {
  static const char *const captions[] = {"Settings for HTML documents",       "Settings for CSS files",
                                         "Settings for Javascript",           "Settings for PHP files",
                                         "Settings for Visual Basic scripts", "Settings for Perl scripts",
                                         "Settings for text documents"};
  return captions[type >= ftHtml && type <= ftText ? type : ftText];
}

QString HighlightSampleText(const QString &entryCaption) {
  const qsizetype open = entryCaption.indexOf(u'(');
  if (open < 0)
    return entryCaption;
  return entryCaption.mid(open + 1, std::max<qsizetype>(0, entryCaption.size() - open - 2));
}

QString NormaliseTypeList(const QString &text) {
  return text.trimmed().toLower();
}
