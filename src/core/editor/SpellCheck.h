#pragma once
// Spell checking with Hunspell dictionaries: the dictionaries found on disk, the one selected for
// the active document, a per-language list of words the user added, and the splitting of running
// text into words. One checker serves every document; it switches dictionaries when another
// document becomes active.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

// One dictionary found on disk: language identifier and base name ("de_DE"), and its folder.
struct TDictionaryProps {
  quint32 Id = 0;
  QString Shortname;
  QString Folder; // with trailing '/'
};

// A word of running text: UTF-16 index and length.
struct TWordSpan {
  qsizetype Start = -1;
  qsizetype Length = 0;
  bool IsValid() const { return Start >= 0; }
};

// The word that starts at or after `from`; invalid when there is none. Words are letters and
// combining marks with inner apostrophes ("don't"); digits belong to the word, such words are not
// checked (see IsCheckableWord). A hyphen splits words, as Hunspell checks the parts.
TWordSpan NextWord(QStringView text, qsizetype from);
// The word containing (or ending at) index pos; invalid when pos is not on a word.
TWordSpan WordAt(QStringView text, qsizetype pos);
// All words of a text, in order.
QList<TWordSpan> SplitWords(QStringView text);
// Words with digits ("mp3", "2nd") are never checked.
bool IsCheckableWord(QStringView word);

// Where an HTML scan stands at a character: running text, inside a tag (and its quote), a
// comment, or the content of a script or style element. Only ASCII characters decide, so the
// same scan runs over UTF-16 text and over UTF-8 bytes.
struct THtmlScanState {
  enum TKind : quint8 { Text, Tag, Comment, Script, Style, Php };
  TKind Kind = Text;
  char Quote = 0;  // inside a tag: the open quote
  quint8 Raw = 0;  // inside a tag: 1 script, 2 style element opened by it
  quint8 Name = 0; // inside a tag: characters of its name read so far (at most 7)
  char NameText[7] = {};
  bool operator==(const THtmlScanState &) const = default;
};
// Scans a stretch of HTML (a line, or a whole text) from the state at its start and returns the
// state at its end; when text is given, the [start, end) ranges of running text are appended.
THtmlScanState ScanHtml(QStringView text, THtmlScanState state,
                        QList<QPair<qsizetype, qsizetype>> *textRanges = nullptr);
THtmlScanState ScanHtml(QByteArrayView text, THtmlScanState state);

enum TSynSpellCheckOption : unsigned {
  sscoAutoSpellCheck = 1,
  sscoGoUp = 2,
  sscoHideCursor = 4,
  sscoHourGlass = 8,
  sscoIgnoreSingleChars = 16,
  sscoStartFromCursor = 32,
  sscoSuggestWords = 64,
};

class TSynEditSpellCheck {
public:
  TSynEditSpellCheck();
  // Saves the user word list of the open dictionary.
  ~TSynEditSpellCheck();
  TSynEditSpellCheck(const TSynEditSpellCheck &) = delete;
  TSynEditSpellCheck &operator=(const TSynEditSpellCheck &) = delete;

  // The usual places: the program's own dict/ folder first, then the system's dictionaries.
  static QStringList DefaultFolders(const QString &programDictPath);

  // Lists the dictionaries (an .aff with its .dic) in the folders, the first folder winning
  // when two hold the same language, and keeps those whose identifier is in ids (all when ids
  // is empty) as loadable. onLoad reports each kept language. True when at least one was kept.
  bool LoadDictionaries(const QStringList &folders, const QList<int> &ids,
                        const std::function<void(quint32)> &onLoad = {});
  // Every dictionary found, and the loaded ones.
  const QList<TDictionaryProps> &Dictionaries() const { return FDictionaries; }
  const QList<TDictionaryProps> &LoadedDicts() const { return FLoadedDicts; }
  // Loaded languages: display name of the language (in the interface language) and identifier,
  // sorted by name.
  QList<QPair<QString, quint32>> GetDictLanguages() const;
  static QString GetLanguageName(quint32 langId);

  // 0 switches checking off (true). A language that is not loaded or whose files cannot be
  // opened closes the dictionary and returns false (OnError tells the latter once). Selecting
  // the language already selected returns whether its dictionary is actually open.
  bool SelectDictionary(quint32 langId);
  bool SelectDictionary(const QString &shortName);
  void CloseDictionary();
  // Writes the user list of the open dictionary when it changed (also when it became empty). On
  // failure the list stays modified (a later save tries again), and OnError is told once until
  // a save succeeds again. True when nothing is left to write.
  bool SaveUserDictionary();
  // The same for every dictionary opened so far.
  bool SaveAllUserDictionaries();

  // True (correct) when checking is off, no dictionary is open, the word is empty or (with
  // sscoIgnoreSingleChars) one letter, or the dictionary knows it.
  bool CheckWord(const QString &word);
  // Suggestions in the dictionary's order (with sscoSuggestWords, checking on and a dictionary).
  QStringList GetSuggestions(const QString &word);
  // Adds to / removes from the user list and the open dictionary; false when nothing changed.
  bool AddDictWord(const QString &word);
  bool RemoveDictWord(const QString &word);

  bool Enabled() const { return FEnabled && FHandle; }
  quint32 LangId() const { return FLangId; }
  // The user list of the open dictionary: sorted, case-sensitive, without duplicates.
  bool Modified() const;
  QStringList UserDict() const;
  QString UserFileName() const;
  QString UserDictPath() const { return FUserDictPath; }
  // Folder of the user word lists (trailing '/' added).
  void SetUserDictPath(const QString &folder);
  bool UseUserDictionary = true;
  unsigned Options = sscoAutoSpellCheck | sscoHourGlass | sscoIgnoreSingleChars | sscoSuggestWords;
  // Increases whenever the user's words changed (the answers of CheckWord for a language).
  quint64 Generation() const { return FGeneration; }

  std::function<void(const QString &)> OnError; // user-list write failures, dictionary open failures
  std::function<void(const QString &)> OnAddWord;

private:
  struct TOpenDict;
  TOpenDict *OpenDict(const TDictionaryProps &props, QString *error);
  void ReadUserDictionary(TOpenDict &d);
  bool SaveUserDictionary(TOpenDict &d);
  void Report(TOpenDict &d, const QString &message);

  QList<TDictionaryProps> FDictionaries, FLoadedDicts;
  // Dictionaries stay open once opened: switching between two documents' languages must not
  // reload tens of megabytes each time.
  std::map<quint32, std::unique_ptr<TOpenDict>> FOpen;
  TOpenDict *FHandle = nullptr;
  bool FEnabled = false;
  quint32 FLangId = 0;
  QString FUserDictPath;
  // Languages whose files could not be opened: told once, then refused quietly (the editor
  // asks again at every check).
  QList<quint32> FFailed;
  quint64 FGeneration = 1;
};
