#include "core/keys/KeyLayout.h"

#include "core/common/Translate.h"

#include <QHash>

namespace {
constexpr TShortCut S = scShift, C = scCtrl, A = scAlt;
constexpr TShortCut K(quint16 vk, TShortCut mods = 0) {
  return ShortCut(vk, mods);
}

std::vector<TEditorKeyDefault> MakeEditorDefaults() {
  std::vector<TEditorKeyDefault> rows = {
      {ecLeft, N_("One character left"), K(vkLeft)},
      {ecRight, N_("One character right"), K(vkRight)},
      {ecUp, N_("One line up"), K(vkUp)},
      {ecDown, N_("One line down"), K(vkDown)},
      {ecWordLeft, N_("Word left"), K(vkLeft, C)},
      {ecWordRight, N_("Word right"), K(vkRight, C)},
      {ecLineStart, N_("To line start"), K(vkHome)},
      {ecLineEnd, N_("To line end"), K(vkEnd)},
      {ecPageUp, N_("One page up"), K(vkPrior)},
      {ecPageDown, N_("One page down"), K(vkNext)},
      {ecPageTop, N_("Top of page"), K(vkPrior, C)},
      {ecPageBottom, N_("End of page"), K(vkNext, C)},
      {ecEditorTop, N_("Begin of text"), K(vkHome, C)},
      {ecEditorBottom, N_("End of text"), K(vkEnd, C)},
      {ecSelLeft, N_("Select character left"), K(vkLeft, S)},
      {ecSelRight, N_("Select character right"), K(vkRight, S)},
      {ecSelUp, N_("Select line up"), K(vkUp, S)},
      {ecSelDown, N_("Select line down"), K(vkDown, S)},
      {ecSelPageUp, N_("Select page up"), K(vkPrior, S)},
      {ecSelPageDown, N_("Select page down"), K(vkNext, S)},
      {ecSelWordLeft, N_("Select word left"), K(vkLeft, C | S)},
      {ecSelWordRight, N_("Select word right"), K(vkRight, C | S)},
      {ecSelLineStart, N_("Select to line start"), K(vkHome, S)},
      {ecSelLineEnd, N_("Select to line end"), K(vkEnd, S)},
      {ecSelEditorTop, N_("Select to begin of text"), K(vkHome, C | S)},
      {ecSelEditorBottom, N_("Select to end of text"), K(vkEnd, C | S)},
      {ecSelectAll, N_("Select all"), K('A', C)},
      {ecDeleteLastChar, N_("Delete character left"), K(vkBack)},
      {ecDeleteChar, N_("Delete character"), K(vkDelete)},
      {ecDeleteWord, N_("Delete word"), K('T', C)},
      {ecDeleteLastWord, N_("Delete word left"), K(vkBack, C)},
      {ecDeleteLine, N_("Delete line"), K('Y', C)},
      {ecDeleteBOL, N_("Delete to line start"), 0},
      {ecDeleteEOL, N_("Delete to line end"), 0},
      {ecClearAll, N_("Delete all"), 0},
      {ecLineBreak, N_("Line break"), K(vkReturn)},
      {ecInsertLine, N_("Insert line"), K('N', C)},
      {ecScrollUp, N_("Scroll up"), K(vkUp, C)},
      {ecScrollDown, N_("Scroll down"), K(vkDown, C)},
      {ecCut, N_("Cut"), K('X', C)},
      {ecCopy, N_("Copy"), K('C', C)},
      {ecPaste, N_("Paste"), K('V', C)},
      {ecCut, N_("Cut"), K(vkDelete, S)},
      {ecCopy, N_("Copy"), K(vkInsert, C)},
      {ecPaste, N_("Paste"), K(vkInsert, S)},
      {ecToggleMode, N_("Insert/Overwrite"), K(vkInsert)},
      {ecBlockIndent, N_("Block indent"), K(vkRight, A)},
      {ecBlockUnindent, N_("Block unindent"), K(vkLeft, A)},
      {ecTab, N_("Tab"), K(vkTab)},
      {ecShiftTab, N_("Back tab"), K(vkTab, S)},
      {ecNormalSelect, N_("Normal mode"), K('N', C | S)},
      {ecColumnSelect, N_("Column mode"), K('C', C | S)},
      {ecLineSelect, N_("Row mode"), K('L', C | S)},
      {ecContextHelp, N_("Help"), K(vkF1)},
  };
  static const char *const gotoNames[10] = {
      N_("To marker 0"), N_("To marker 1"), N_("To marker 2"), N_("To marker 3"), N_("To marker 4"),
      N_("To marker 5"), N_("To marker 6"), N_("To marker 7"), N_("To marker 8"), N_("To marker 9")};
  static const char *const setNames[10] = {
      N_("Set marker 0"), N_("Set marker 1"), N_("Set marker 2"), N_("Set marker 3"), N_("Set marker 4"),
      N_("Set marker 5"), N_("Set marker 6"), N_("Set marker 7"), N_("Set marker 8"), N_("Set marker 9")};
  for (int n = 0; n < 10; ++n)
    rows.push_back({quint16(ecGotoMarker0 + n), gotoNames[n], K(quint16('0' + n), C)});
  for (int n = 0; n < 10; ++n)
    rows.push_back({quint16(ecSetMarker0 + n), setNames[n], K(quint16('0' + n), C | S)});
  rows.push_back({ecUpperCase, N_("To upper case"), K('U', C | S)});
  rows.push_back({ecLowerCase, N_("To lower case"), K('L', C | S)});
  rows.push_back({ecSelectWord, N_("Select word"), K('W', C)});
  return rows;
}

// The action categories by tag range, in the order the dialog lists them.
struct TTagRange {
  int First, Last;
  const char *Category;
};
const TTagRange TagRanges[] = {
    {1002, 1015, N_("File")},       {2001, 2039, N_("Actions")}, {3001, 3007, N_("Project")},
    {2501, 2503, N_("Printer")},    {3010, 3017, N_("Macros")},  {4401, 4420, N_("Global")},
    {5001, 5061, N_("Styles")},     {4701, 4722, N_("Fonts")},   {4951, 4954, N_("Wrapping")},
    {4501, 4516, N_("Lists")},      {4901, 4912, N_("Tables")},  {4100, 4108, N_("Alignment")},
    {4001, 4002, N_("Dimensions")}, {4201, 4207, N_("Colors")},  {4801, 4812, N_("Other")},
    {4601, 4609, N_("Frames")},     {4301, 4313, N_("Forms")},
};

struct TDesignKey {
  const char *Action;
  TShortCut Key;
};
const TDesignKey DesignKeys[] = {
    {"ActionSave", K(vkF1 + 1)},        {"ActionShowHelp", K(vkF1)},
    {"ActionPreview", K(vkF1 + 11)},    {"ActionTransfer", K(vkF1 + 8)},
    {"ActionShowRef", K(vkF1 + 10)},    {"ActionExtPreview", K(vkF1 + 9)},
    {"ActionMacroNew", K('M', C | A)},  {"ActionMacroInsert", K('M', C | S)},
    {"ActionUndo", K(vkBack, A)},       {"ActionRedo", K(vkBack, S | A)},
    {"ActionFind", K('F', C)},          {"ActionReplace", K('R', C)},
    {"ActionMatch", K('M', C)},         {"ActionColumn", K(vkF1 + 3)},
    {"ActionFindNext", K(vkF1 + 2)},    {"ActionFindPrev", K(vkF1 + 2, S)},
    {"ActionUpperCase", K('U', C | A)}, {"ActionLowerCase", K('L', C | A)},
    {"ActionMisspell", K(vkF1 + 5)},    {"ActionAddDict", K(vkF1 + 4)},
    {"ActionSetBookmark", K('D', C)},   {"ActionClearBookmarks", K('D', C | S)},
    {"ActionLink", K('L', C)},          {"ActionSection", K('P', C)},
    {"ActionImage", K('I', C | A)},     {"ActionTarget", K('T', C | S)},
    {"ActionGoto", K('G', C | S)},      {"ActionHorLine", K('H', C | S)},
    {"ActionFixSpace", K(vkSpace, C)},  {"ActionComment", K('K', C | S)},
    {"ActionPreviousWin", K(vkF1 + 6)}, {"ActionNextWin", K(vkF1 + 7)},
    {"ActionListItem", K('L', C)},      {"ActionHd1", K('1', A)},
    {"ActionHd2", K('2', A)},           {"ActionHd3", K('3', A)},
    {"ActionHd4", K('4', A)},           {"ActionHd5", K('5', A)},
    {"ActionHd6", K('6', A)},           {"ActionBold", K('B', C)},
    {"ActionItalic", K('I', C)},        {"ActionULine", K('U', C)},
    {"ActionPre", K('P', C | S)},       {"ActionSub", K('J', C)},
    {"ActionSup", K('H', C)},           {"ActionDate", K('D', C | A)},
    {"ActionMonth", K('O', C | A)},     {"ActionYear", K('Y', C | A)},
    {"ActionTabData", K('F', C | S)},   {"ActionNewline", K('N', C)},
};
} // namespace

const std::vector<TEditorKeyDefault> &EditorKeyDefaults() {
  static const std::vector<TEditorKeyDefault> rows = MakeEditorDefaults();
  return rows;
}

std::vector<TEditorKeyDefault> EditorCommands() {
  std::vector<TEditorKeyDefault> out;
  for (const TEditorKeyDefault &r : EditorKeyDefaults()) {
    bool seen = false;
    for (const TEditorKeyDefault &o : out)
      seen = seen || o.Command == r.Command;
    if (!seen)
      out.push_back(r);
  }
  return out;
}

const QStringList &CategoryOrder() {
  static const QStringList order = [] {
    QStringList l{QStringLiteral("Editor")};
    for (const TTagRange &r : TagRanges)
      l << QString::fromLatin1(r.Category);
    return l;
  }();
  return order;
}

QString CategoryOfTag(int tag) {
  for (const TTagRange &r : TagRanges)
    if (tag >= r.First && tag <= r.Last)
      return QString::fromLatin1(r.Category);
  return {};
}

TShortCut DesignKeyOf(QStringView actionName) {
  for (const TDesignKey &d : DesignKeys)
    if (actionName == QLatin1String(d.Action))
      return d.Key;
  return 0;
}

bool TCategoryItem::IsCommand(int value) const {
  for (const TCommand &c : FCommands)
    if (c.Value == value)
      return true;
  return false;
}

TVelmoCommands::TVelmoCommands() {
  Reset();
}

void TVelmoCommands::Reset() {
  FCategories.clear();
  TCategoryItem editor;
  editor.FCategory = _("Editor");
  for (const TEditorKeyDefault &r : EditorCommands())
    editor.FCommands.push_back({r.Command, _(r.Name)});
  FCategories.push_back(std::move(editor));
}

int TVelmoCommands::IndexOfCategory(const QString &name) const {
  for (size_t i = 0; i < FCategories.size(); ++i)
    if (FCategories[i].FCategory.compare(name, Qt::CaseInsensitive) == 0)
      return int(i);
  return -1;
}

void TVelmoCommands::AddCommand(const QString &category, const QString &name, int value) {
  int i = IndexOfCategory(category);
  if (i < 0) {
    // A known category goes to its place among the known ones, any other to the end.
    const auto rank = [](const QString &c) {
      for (int k = 0; k < CategoryOrder().size(); ++k)
        if (_(CategoryOrder()[k].toUtf8().constData()).compare(c, Qt::CaseInsensitive) == 0)
          return k;
      return int(CategoryOrder().size());
    };
    const int r = rank(category);
    i = int(FCategories.size());
    while (i > 0 && rank(FCategories[size_t(i - 1)].FCategory) > r)
      --i;
    FCategories.insert(FCategories.begin() + i, TCategoryItem{category, {}});
  }
  FCategories[size_t(i)].FCommands.push_back({value, name});
}

bool TVelmoCommands::IsCommand(int value) const {
  for (const TCategoryItem &c : FCategories)
    if (c.IsCommand(value))
      return true;
  return false;
}

QStringList TVelmoCommands::CategoryNames() const {
  QStringList l;
  for (const TCategoryItem &c : FCategories)
    l << c.FCategory;
  return l;
}

QString TVelmoCommands::GetCommandName(int command, int categoryIndex) const {
  const auto find = [command](const TCategoryItem &c) -> QString {
    for (const auto &p : c.FCommands)
      if (p.Value == command)
        return p.Name;
    return {};
  };
  if (categoryIndex >= 0 && categoryIndex < CategoryCount())
    return find(FCategories[size_t(categoryIndex)]);
  for (const TCategoryItem &c : FCategories)
    if (c.IsCommand(command))
      return find(c);
  return {};
}

bool TVelmoCommands::FindCommandCategory(int command, int &categoryIndex, QString &name) const {
  for (int i = 0; i < CategoryCount(); ++i)
    if (FCategories[size_t(i)].IsCommand(command)) {
      categoryIndex = i;
      name = GetCommandName(command, i);
      return true;
    }
  return false;
}

TVelmoCommands &VelmoCommands() {
  static TVelmoCommands commands;
  return commands;
}

void AddActionCommands(TVelmoCommands &commands, const TLayoutActions &actions) {
  for (const TLayoutAction &a : actions)
    if (IsActionCommand(a.Tag))
      commands.AddCommand(a.Category, a.Hint, a.Tag);
}

void SetEditorKeyDefaults(TSynEditKeyStrokes &ks) {
  // Set as they stand, without the check for a held key: the table gives Ctrl+Shift+L twice.
  ks.Clear();
  for (const TEditorKeyDefault &r : EditorKeyDefaults()) {
    TSynEditKeyStroke &e = ks[ks.Add(r.Command)];
    e.Key = r.Key & 0xFF;
    e.Shift = r.Key & scModifiers;
  }
}

void AddActionKeyStrokes(TSynEditKeyStrokes &ks, const TLayoutActions &actions) {
  for (const TLayoutAction &a : actions) {
    if (!IsActionCommand(a.Tag))
      continue;
    const TShortCut key = a.DesignKey;
    if (key) {
      const int holder = ks.FindShortcut(key);
      if (holder >= 0)
        ks.SetShortCut(holder, 0);
    }
    // Refused only when a second earlier entry held the key too: the new entry stays without.
    ks.SetShortCut(ks.Add(a.Tag), key);
  }
}

void SetDefaultKeyStrokes(TSynEditKeyStrokes &ks, const TLayoutActions &mainActions,
                          const TLayoutActions &documentActions) {
  SetEditorKeyDefaults(ks);
  AddActionKeyStrokes(ks, mainActions);
  AddActionKeyStrokes(ks, documentActions);
}

void AddMissingEditorCommands(TSynEditKeyStrokes &ks) {
  for (const TEditorKeyDefault &r : EditorCommands())
    if (ks.FindCommand(r.Command) < 0)
      ks.Add(r.Command);
}

void AddMissingActionCommands(TSynEditKeyStrokes &ks, const TLayoutActions &actions) {
  for (const TLayoutAction &a : actions) {
    if (!IsActionCommand(a.Tag) || ks.FindCommand(a.Tag) >= 0)
      continue;
    const int i = ks.Add(a.Tag);
    if (a.DesignKey && ks.FindShortcut(a.DesignKey) < 0)
      ks.SetShortCut(i, a.DesignKey);
  }
}

TKeyFileError LoadKeyLayout(TSynEditKeyStrokes &ks, const QString &fileName,
                            const TLayoutActions &mainActions, const TLayoutActions &documentActions) {
  ks.Clear();
  const TKeyFileError r = ks.LoadFromFile(fileName);
  if (r == kfOk) {
    AddMissingEditorCommands(ks);
    AddMissingActionCommands(ks, mainActions);
    AddMissingActionCommands(ks, documentActions);
  } else {
    SetDefaultKeyStrokes(ks, mainActions, documentActions);
  }
  return r;
}
