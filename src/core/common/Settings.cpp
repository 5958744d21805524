#include "core/common/Settings.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LangIds.h"

#include <QFileInfo>

const char *TAppSettings::DefaultCustomColors = "$B8FFFF,$B8B8FF,$98B8FF,$68B8FF,$B0FFB0,$FFB890,$FFB070,$D09898,"
                                                "$003080,$0050B0,$006000,$208000,$804000,$705000,$780000,$580058";

TAppSettings::TAppSettings() {
  CustomColors = QString::fromLatin1(DefaultCustomColors);
  for (int t = 0; t < FileTypeCount; ++t) {
    SynProps[t].FileType = TFileTypes(t);
    SynProps[t].Types = QString::fromLatin1(FileTypeInfo[t].Types);
    SynProps[t].Highlight = t != ftText;
  }
}

std::vector<TAppSettings::TEntry> TAppSettings::Entries(bool englishUi) {
  const QString cfg = QStringLiteral("Config"), form = QStringLiteral("Form"), prt = QStringLiteral("Printer");
  std::vector<TEntry> e = {
      {cfg, "StdPath", &StdPath, QString()},
      {cfg, "HTMLHelp", &HtmlHelpMode, 0},
      {cfg, "HTMLRefPath", &HtmlRefPath, QString()},
      {cfg, "EdgeBrowser", &UseEdgeBrowser, false},
      {cfg, "ExternalBrowser", &ExtBrowser, QString()},
      {cfg, "DictionaryLanguage", &DictLangId, int(UserDefaultLangId())},
      {cfg, "FindText", &sFind, QString()},
      {cfg, "ReplaceText", &sRepl, QString()},
      {cfg, "CustomColors", &CustomColors, QString::fromLatin1(DefaultCustomColors)},
      {cfg, "Toolbar", &DynTB, true},
      {cfg, "UseLogFile", &UseLog, true},
      {cfg, "AutoSave", &AutoSaveTime, 5},
      {cfg, "FileSizeFormat", &FileSzDec, true},
      {cfg, "DecimalComma", &IdeDecComma, !englishUi},
      {cfg, "Printer", &PrtName, QString()},
      {form, "State", &Form.State, 0},
      {form, "NavSplit", &Form.NavSplit, 171},
      {form, "MacroSplit", &Form.MacroSplit, 146},
      {form, "EditSplit", &Form.EditSplit, 200},
      {form, "FormSplit", &Form.FormSplit, 271},
      {form, "FileDlgWidth", &Form.FileDlgWidth, 0},
      {form, "FileDlgHeight", &Form.FileDlgHeight, 0},
  };
  for (int t = 0; t < FileTypeCount; ++t) {
    const QString s = QString::fromLatin1(FileTypeInfo[t].Section);
    TSynEditProperties &p = SynProps[t];
    TSynGutterProperties &g = SynGutter[t];
    const std::vector<TEntry> rows = {
        {s, "Highlight", &p.Highlight, t != ftText},
        {s, "Types", &p.Types, QString::fromLatin1(FileTypeInfo[t].Types)},
        {s, "Font", &p.FontName, QStringLiteral("Courier New")},
        {s, "FontSize", &p.FontSize, 10},
        {s, "Fontstyle", &p.FontStyle, 0},
        {s, "BackgroundColor", reinterpret_cast<int *>(&p.BgColor), int(0x00FFFFFF)},
        {s, "TabWidth", &p.TabWidth, 2},
        {s, "RightEdge", &p.RightEdge, 80},
        {s, "Options", reinterpret_cast<int *>(&p.Options), int(DefaultEditorOptions)},
        {s, "Gutter", &g.Visible, true},
        {s, "LineNumbers", &g.ShowLineNumbers, true},
        {s, "Digits", &g.DigitCount, 4},
        {s, "LeadingZeroes", &g.LeadingZeros, false},
    };
    e.insert(e.end(), rows.begin(), rows.end());
  }
  const std::vector<TEntry> printer = {
      {prt, "Orientation", &PrText.Ori, 1},          {prt, "HeadLine", &PrText.HtHeader, 5},
      {prt, "Color", &PrText.Color, false},          {prt, "Highlight", &PrText.Highlight, false},
      {prt, "LineNumbers", &PrText.LineNumbers, false}, {prt, "Wrap", &PrText.Wrap, true},
      {prt, "LeftMargin", &PrText.LeftMargin, 25},   {prt, "RightMargin", &PrText.RightMargin, 15},
      {prt, "TopMargin", &PrText.TopMargin, 20},     {prt, "BottomMargin", &PrText.BottomMargin, 20},
      {prt, "Gutter", &PrText.Gutter, 0},            {prt, "Mirror", &PrText.Mirror, false},
      {QStringLiteral("FileSearch"), "FileReplace", &FileReplace, false},
  };
  e.insert(e.end(), printer.begin(), printer.end());
  return e;
}

void TAppSettings::Read(const TUnicodeIniFile &ini, bool englishUi) {
  FEnglishUi = englishUi;
  for (TEntry &e : Entries(englishUi)) {
    std::visit(
        [&](auto *target) {
          using T = std::remove_pointer_t<decltype(target)>;
          if constexpr (std::is_same_v<T, QString>)
            *target = ini.ReadString(e.Section, e.Key, e.Default.toString());
          else if constexpr (std::is_same_v<T, int>)
            *target = ini.ReadInteger(e.Section, e.Key, e.Default.toInt());
          else
            *target = ini.ReadBool(e.Section, e.Key, e.Default.toBool());
        },
        e.Target);
  }
  const QString form = QStringLiteral("Form");
  Form.Left = ini.ReadInteger(form, QStringLiteral("Left"), 50);
  Form.Top = ini.ReadInteger(form, QStringLiteral("Top"), 50);
  Form.Width = ini.ReadInteger(form, QStringLiteral("Width"), 885);
  Form.Height = ini.ReadInteger(form, QStringLiteral("Height"), 667);
  if (Form.EditSplit < 100)
    Form.EditSplit = 200;
  if (Form.State < 0 || Form.State > 2)
    Form.State = 0;
  if (PrText.Ori != 0 && PrText.Ori != 1)
    PrText.Ori = 1;
  if (AutoSaveTime < 0)
    AutoSaveTime = 0;
  for (int t = 0; t < FileTypeCount; ++t) {
    SynProps[t].FileType = TFileTypes(t);
    if (SynProps[t].TabWidth < 1)
      SynProps[t].TabWidth = 2;
  }

  // Projects: entries whose file is gone are skipped; Active keeps pointing at the same project
  // (or at none when the active one is gone).
  const QString proj = QStringLiteral("Projects");
  const int count = std::clamp(ini.ReadInteger(proj, QStringLiteral("Count"), 0), 0, MaxProjects);
  const int active = ini.ReadInteger(proj, QStringLiteral("Active"), -1);
  ProjectFiles.clear();
  ProjectIndex = -1;
  for (int i = 0; i < count; ++i) {
    const QString name = ini.ReadString(proj, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')));
    if (name.isEmpty() || !QFileInfo(name).isFile())
      continue;
    if (i == active)
      ProjectIndex = int(ProjectFiles.size());
    ProjectFiles << name;
  }

  const QString dict = QStringLiteral("Dictionaries");
  DictionaryIds.clear();
  const int dcount = std::clamp(ini.ReadInteger(dict, QStringLiteral("Count"), 0), 0, 1000);
  for (int i = 0; i < dcount; ++i) {
    const int id = ini.ReadInteger(dict, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')), 0);
    if (id > 0 && !DictionaryIds.contains(id))
      DictionaryIds << id;
  }

  AnchorList = ReadIniList(ini, QStringLiteral("AnchorList"), MaxAnchorNames);
  UrlList = ReadIniList(ini, QStringLiteral("UrlList"), MaxUrlEntries);
  UrlFileFilter = ini.ReadString(QStringLiteral("UrlList"), QStringLiteral("FileFilter"),
                                 QString::fromLatin1(DefaultUrlFilter));
  if (UrlFileFilter.isEmpty())
    UrlFileFilter = QString::fromLatin1(DefaultUrlFilter);
  LinkList = ReadIniList(ini, QStringLiteral("LinkList"), MaxLinkEntries);
  ImageList = ReadIniList(ini, QStringLiteral("ImageList"), MaxImageEntries);
  const QString map = QStringLiteral("ImageMap");
  const TFormSettings mapDefault{50, 50, 600, 450, 0};
  ImageMap.Left = ini.ReadInteger(map, QStringLiteral("Left"), mapDefault.Left);
  ImageMap.Top = ini.ReadInteger(map, QStringLiteral("Top"), mapDefault.Top);
  ImageMap.Width = std::clamp(ini.ReadInteger(map, QStringLiteral("Width"), mapDefault.Width), 100, 10000);
  ImageMap.Height = std::clamp(ini.ReadInteger(map, QStringLiteral("Height"), mapDefault.Height), 100, 10000);
  ImageMap.State = std::clamp(ini.ReadInteger(map, QStringLiteral("State"), 0), 0, 2);
  MailNameList = ReadIniList(ini, QStringLiteral("MailtoList"), MaxMailEntries, QStringLiteral("Name"));
  MailBaseList = ReadIniList(ini, QStringLiteral("MailtoList"), MaxMailEntries, QStringLiteral("Address"));
}

void TAppSettings::Write(TUnicodeIniFile &ini, bool normalState) const {
  ini.EraseSection(QStringLiteral("Config"));
  ini.EraseSection(QStringLiteral("Projects"));
  for (TEntry &e : const_cast<TAppSettings *>(this)->Entries(FEnglishUi)) {
    std::visit(
        [&](auto *target) {
          using T = std::remove_pointer_t<decltype(target)>;
          if constexpr (std::is_same_v<T, QString>)
            ini.WriteString(e.Section, e.Key, *target);
          else if constexpr (std::is_same_v<T, int>)
            ini.WriteInteger(e.Section, e.Key, *target);
          else
            ini.WriteBool(e.Section, e.Key, *target);
        },
        e.Target);
  }
  const QString form = QStringLiteral("Form");
  if (normalState || !ini.ValueExists(form, QStringLiteral("Left"))) {
    ini.WriteInteger(form, QStringLiteral("Left"), Form.Left);
    ini.WriteInteger(form, QStringLiteral("Top"), Form.Top);
    ini.WriteInteger(form, QStringLiteral("Width"), Form.Width);
    ini.WriteInteger(form, QStringLiteral("Height"), Form.Height);
  }

  const QString proj = QStringLiteral("Projects");
  const int count = std::min<int>(int(ProjectFiles.size()), MaxProjects);
  ini.WriteInteger(proj, QStringLiteral("Count"), count);
  ini.WriteInteger(proj, QStringLiteral("Active"), ProjectIndex < count ? ProjectIndex : -1);
  for (int i = 0; i < count; ++i)
    ini.WriteString(proj, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')), ProjectFiles[i]);

  const QString dict = QStringLiteral("Dictionaries");
  ini.EraseSection(dict);
  ini.WriteInteger(dict, QStringLiteral("Count"), int(DictionaryIds.size()));
  for (int i = 0; i < DictionaryIds.size(); ++i)
    ini.WriteInteger(dict, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')), DictionaryIds[i]);

  WriteIniList(ini, QStringLiteral("AnchorList"), AnchorList, MaxAnchorNames, true);
  WriteIniList(ini, QStringLiteral("UrlList"), UrlList, MaxUrlEntries, true);
  ini.WriteString(QStringLiteral("UrlList"), QStringLiteral("FileFilter"), UrlFileFilter);
  WriteIniList(ini, QStringLiteral("LinkList"), LinkList, MaxLinkEntries, true);
  WriteIniList(ini, QStringLiteral("ImageList"), ImageList, MaxImageEntries, true);
  const QString map = QStringLiteral("ImageMap");
  // The geometry of a minimised or maximised editor is not its own; keep what the file has.
  if (ImageMap.State == 0 || !ini.ValueExists(map, QStringLiteral("Left"))) {
    ini.WriteInteger(map, QStringLiteral("Left"), ImageMap.Left);
    ini.WriteInteger(map, QStringLiteral("Top"), ImageMap.Top);
    ini.WriteInteger(map, QStringLiteral("Width"), ImageMap.Width);
    ini.WriteInteger(map, QStringLiteral("Height"), ImageMap.Height);
  }
  ini.WriteInteger(map, QStringLiteral("State"), ImageMap.State);
  ini.EraseSection(QStringLiteral("MailtoList"));
  WriteIniList(ini, QStringLiteral("MailtoList"), MailNameList, MaxMailEntries, false, QStringLiteral("Name"));
  WriteIniList(ini, QStringLiteral("MailtoList"), MailBaseList, MaxMailEntries, false, QStringLiteral("Address"));
}

TFileTypes FileTypeOfExt(const std::array<TSynEditProperties, FileTypeCount> &props, QString ext, TFileTypes def) {
  if (ext.startsWith(u'.'))
    ext.remove(0, 1);
  if (ext.isEmpty())
    return def;
  for (int t = 0; t < FileTypeCount; ++t)
    for (const QString &e : props[t].Types.split(u',', Qt::SkipEmptyParts))
      if (e.trimmed() == ext)
        return TFileTypes(t);
  return def;
}

bool KeyFileSizeFits(qint64 fileSize, quint32 count) {
  if (fileSize < 4)
    return false;
  if (qint64(count) > (fileSize - 4) / 10)
    return false;
  return 4 + 10 * qint64(count) == fileSize;
}
