#pragma once
// The settings the main window keeps in the settings file: read once at start, written at close.
// Plain keys are rows of one table, read and written by one loop each.
#include "core/common/Types.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <variant>
#include <vector>

class TUnicodeIniFile;

// Editor option bits stored in a file type's Options value.
enum TSynEditorOption : quint32 {
  eoAltSetsColumnMode = 1u << 0,
  eoAutoIndent = 1u << 1,
  eoAutoSizeMaxScrollWidth = 1u << 2,
  eoDisableScrollArrows = 1u << 3,
  eoDragDropEditing = 1u << 4,
  eoDropFiles = 1u << 5,
  eoEnhanceHomeKey = 1u << 6,
  eoEnhanceEndKey = 1u << 7,
  eoGroupUndo = 1u << 8,
  eoHalfPageScroll = 1u << 9,
  eoHideShowScrollbars = 1u << 10,
  eoKeepCaretX = 1u << 11,
  eoNoCaret = 1u << 12,
  eoNoSelection = 1u << 13,
  eoRightMouseMovesCursor = 1u << 14,
  eoScrollByOneLess = 1u << 15,
  eoScrollHintFollows = 1u << 16,
  eoScrollPastEof = 1u << 17,
  eoScrollPastEol = 1u << 18,
  eoShowScrollHint = 1u << 19,
  eoShowSpecialChars = 1u << 20,
  eoSmartTabDelete = 1u << 21,
  eoSmartTabs = 1u << 22,
  eoSpecialLineDefaultFg = 1u << 23,
  eoTabIndent = 1u << 24,
  eoTabsToSpaces = 1u << 25,
  eoTrimTrailingSpaces = 1u << 26,
};
constexpr quint32 DefaultEditorOptions = 40632723u; // 0x26C0193

struct TSynEditProperties {
  quint32 Options = DefaultEditorOptions;
  int TabWidth = 2;
  int RightEdge = 80;
  bool Highlight = true;
  TFileTypes FileType = ftHtml;
  QString Types;
  QString FontName = QStringLiteral("Courier New");
  int FontSize = 10;
  int FontStyle = 0;            // bold 1, italic 2, underline 4, strike-out 8
  quint32 BgColor = 0x00FFFFFF; // 0x00BBGGRR
};

struct TSynGutterProperties {
  bool Visible = true;
  bool ShowLineNumbers = true;
  bool LeadingZeros = false;
  int DigitCount = 4;
};

struct TPrintSettings {
  int Ori = 1;
  int HtHeader = 5;
  bool Color = false, Highlight = false, LineNumbers = false, Wrap = true, Mirror = false;
  int LeftMargin = 25, RightMargin = 15, TopMargin = 20, BottomMargin = 20, Gutter = 0;
};

struct TFormSettings {
  int Left = 50, Top = 50, Width = 885, Height = 667;
  int State = 0; // 0 normal, 1 minimised, 2 maximised
  int NavSplit = 171, MacroSplit = 146, EditSplit = 200, FormSplit = 271;
  int FileDlgWidth = 0, FileDlgHeight = 0; // the file dialogs' last size; 0: large enough for the details
};

enum THtmlHelp { hhOff, hhChm, hhHtml, hhWiki };

constexpr int MaxProjects = 100;
constexpr int MaxAnchorNames = 20;
constexpr int MaxUrlEntries = 15, MaxLinkEntries = 25, MaxImageEntries = 25;
constexpr int MaxMailEntries = 20;

class TAppSettings {
public:
  TAppSettings();

  // Config
  QString StdPath;
  int HtmlHelpMode = hhOff;
  QString HtmlRefPath;
  bool UseEdgeBrowser = false;
  QString ExtBrowser;
  int DictLangId = 0;
  QString sFind, sRepl;
  QString CustomColors;
  bool DynTB = true;
  bool UseLog = true;
  int AutoSaveTime = 5;
  bool FileSzDec = true;
  bool IdeDecComma = true;
  QString PrtName;
  // Projects
  QStringList ProjectFiles;
  int ProjectIndex = -1;
  // Dictionaries
  QList<int> DictionaryIds;
  // Form
  TFormSettings Form;
  // One per file type, in TFileTypes order
  std::array<TSynEditProperties, FileTypeCount> SynProps;
  std::array<TSynGutterProperties, FileTypeCount> SynGutter;
  TPrintSettings PrText;
  bool FileReplace = false;
  QStringList AnchorList;
  // Histories of the link, URL and image dialogs, the URL dialog's file filter and the geometry of
  // the image map editor.
  QStringList UrlList, LinkList, ImageList;
  QString UrlFileFilter = QString::fromLatin1(DefaultUrlFilter);
  TFormSettings ImageMap{50, 50, 600, 450, 0};
  static constexpr const char *DefaultUrlFilter = "HTML document|*.htm;*.html|PDF document|*.pdf|all|*.*";
  QStringList MailNameList, MailBaseList;

  // englishUi: the interface language is English (decides the DecimalComma default).
  void Read(const TUnicodeIniFile &ini, bool englishUi);
  // Left, Top, Width and Height are written only when normalState; otherwise the file keeps
  // the values it has.
  void Write(TUnicodeIniFile &ini, bool normalState) const;

  static const char *DefaultCustomColors;

private:
  using TTarget = std::variant<QString *, int *, bool *>;
  struct TEntry {
    QString Section;
    QString Key;
    TTarget Target;
    QVariant Default;
  };
  std::vector<TEntry> Entries(bool englishUi);
  bool FEnglishUi = true;
};

// The first file type whose extension list holds ext (without its dot); def when none does.
TFileTypes FileTypeOfExt(const std::array<TSynEditProperties, FileTypeCount> &props, QString ext, TFileTypes def);
// A key file fits its header when it holds exactly 4 + 10 * count bytes (count from its first
// four bytes), computed without overflow.
bool KeyFileSizeFits(qint64 fileSize, quint32 count);
