#pragma once
// The commands a layout can name and the rules that build, complete and load a layout.
//
// Command numbers below 1000 are the editor's own commands (caret moves, selection, deletion,
// clipboard, markers ...); the others are the numbers (tags) of the menu actions. Only actions with
// a tag above 1001 take part; the others keep the key they were made with.
#include "core/keys/KeyStrokes.h"

#include <QString>
#include <QStringList>
#include <vector>

// Editor command numbers that need more than a caret move.
enum TEditorCommand : quint16 {
  ecLeft = 1,
  ecRight = 2,
  ecUp = 3,
  ecDown = 4,
  ecWordLeft = 5,
  ecWordRight = 6,
  ecLineStart = 7,
  ecLineEnd = 8,
  ecPageUp = 9,
  ecPageDown = 10,
  ecPageTop = 13,
  ecPageBottom = 14,
  ecEditorTop = 15,
  ecEditorBottom = 16,
  ecSelLeft = 101,
  ecSelRight = 102,
  ecSelUp = 103,
  ecSelDown = 104,
  ecSelWordLeft = 105,
  ecSelWordRight = 106,
  ecSelLineStart = 107,
  ecSelLineEnd = 108,
  ecSelPageUp = 109,
  ecSelPageDown = 110,
  ecSelEditorTop = 115,
  ecSelEditorBottom = 116,
  ecSelectWord = 198,
  ecSelectAll = 199,
  ecCopy = 201,
  ecScrollUp = 211,
  ecScrollDown = 212,
  ecToggleMode = 223,
  ecNormalSelect = 231,
  ecColumnSelect = 232,
  ecLineSelect = 233,
  ecGotoMarker0 = 301,
  ecSetMarker0 = 351,
  ecContextHelp = 490,
  ecDeleteLastChar = 501,
  ecDeleteChar = 502,
  ecDeleteWord = 503,
  ecDeleteLastWord = 504,
  ecDeleteBOL = 505,
  ecDeleteEOL = 506,
  ecDeleteLine = 507,
  ecClearAll = 508,
  ecLineBreak = 509,
  ecInsertLine = 510,
  ecCut = 603,
  ecPaste = 604,
  ecBlockIndent = 610,
  ecBlockUnindent = 611,
  ecTab = 612,
  ecShiftTab = 613,
  ecUpperCase = 625,
  ecLowerCase = 626,
};

// Actions take part in the layout when their tag is above this.
inline constexpr int FirstLayoutTag = 1002;
inline bool IsActionCommand(int command) {
  return command >= FirstLayoutTag;
}

// One row of the editor's default layout.
struct TEditorKeyDefault {
  quint16 Command;
  const char *Name; // English source text, translated where shown
  TShortCut Key;
};
// The 77 default entries in their order (Cut, Copy and Paste twice, with their second keys).
const std::vector<TEditorKeyDefault> &EditorKeyDefaults();
// The 74 editor commands in the order of their first default entry.
std::vector<TEditorKeyDefault> EditorCommands();

// The categories in the order they show in the dialog ("Editor", "File", "Actions", ...).
const QStringList &CategoryOrder();
// The category of an action's tag ("Fonts" for 4712); empty when the tag is in no category.
QString CategoryOfTag(int tag);
// The key an action carries from the start ("ActionBold" -> Ctrl+B); 0 for the others.
TShortCut DesignKeyOf(QStringView actionName);

// An action as the layout sees it.
struct TLayoutAction {
  int Tag = 0;
  TShortCut DesignKey = 0;
  QString Category;
  QString Hint;
};
using TLayoutActions = std::vector<TLayoutAction>;

struct TCategoryItem {
  QString FCategory;
  struct TCommand {
    int Value;
    QString Name;
  };
  std::vector<TCommand> FCommands;
  bool IsCommand(int value) const;
};

// The named commands by category. It starts with the "Editor" category; the action categories
// are added by AddActionCommands.
class TVelmoCommands {
public:
  TVelmoCommands();
  void Reset();
  // Appends the pair to the category (made when missing, in its place in CategoryOrder()).
  void AddCommand(const QString &category, const QString &name, int value);
  bool IsCommand(int value) const;
  int CategoryCount() const { return int(FCategories.size()); }
  const TCategoryItem &Category(int index) const { return FCategories[size_t(index)]; }
  int IndexOfCategory(const QString &name) const;
  QStringList CategoryNames() const;
  // The name within the category at index when it is valid, else within all categories in order;
  // empty when not found.
  QString GetCommandName(int command, int categoryIndex = -1) const;
  // The first category holding the command and its name there.
  bool FindCommandCategory(int command, int &categoryIndex, QString &name) const;

private:
  std::vector<TCategoryItem> FCategories;
};

// The program's one command list.
TVelmoCommands &VelmoCommands();

// AddCommand(category, hint, tag) for each action with a tag above 1001, in order.
void AddActionCommands(TVelmoCommands &commands, const TLayoutActions &actions);
// Clears the list and appends the editor's 77 default entries.
void SetEditorKeyDefaults(TSynEditKeyStrokes &ks);
// Appends one entry per action (tag above 1001) with its design key, which an earlier holder
// loses; a key still held twice is left off.
void AddActionKeyStrokes(TSynEditKeyStrokes &ks, const TLayoutActions &actions);
void SetDefaultKeyStrokes(TSynEditKeyStrokes &ks, const TLayoutActions &mainActions,
                          const TLayoutActions &documentActions);
// Entries without key for editor commands the list lacks.
void AddMissingEditorCommands(TSynEditKeyStrokes &ks);
// Entries for actions the list lacks, with their design key where no entry holds it yet.
void AddMissingActionCommands(TSynEditKeyStrokes &ks, const TLayoutActions &actions);
// The layout in use at start-up: the file completed with missing commands when it is valid,
// else the default layout. Returns why the file was not used (kfOk when it was).
TKeyFileError LoadKeyLayout(TSynEditKeyStrokes &ks, const QString &fileName,
                            const TLayoutActions &mainActions, const TLayoutActions &documentActions);
