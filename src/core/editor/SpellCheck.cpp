#include "core/editor/SpellCheck.h"

#include "core/common/LangIds.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>

#include "core/editor/HunspellLibrary.h"

#include <hunspell.h>

#include <algorithm>

namespace {

bool IsWordChar(QChar c) {
  switch (c.category()) {
  case QChar::Letter_Uppercase:
  case QChar::Letter_Lowercase:
  case QChar::Letter_Titlecase:
  case QChar::Letter_Modifier:
  case QChar::Letter_Other:
  case QChar::Mark_NonSpacing:
  case QChar::Mark_SpacingCombining:
  case QChar::Mark_Enclosing:
  case QChar::Number_DecimalDigit:
    return true;
  default:
    return false;
  }
}

bool IsApostrophe(QChar c) {
  return c == u'\'' || c == QChar(0x2019);
}

// A character that continues the word at index i (an apostrophe only between two word chars).
bool ContinuesWord(QStringView text, qsizetype i) {
  const QChar c = text[i];
  if (IsWordChar(c))
    return true;
  return IsApostrophe(c) && i > 0 && i + 1 < text.size() && IsWordChar(text[i - 1]) &&
         IsWordChar(text[i + 1]);
}

qsizetype WordEnd(QStringView text, qsizetype start) {
  qsizetype e = start;
  while (e < text.size() && ContinuesWord(text, e))
    ++e;
  return e;
}

// Encoding names in .aff files that the converters know under another name.
QString ConverterName(const QString &affEncoding) {
  const QString e = affEncoding.trimmed();
  if (e.compare(u"microsoft-cp1251", Qt::CaseInsensitive) == 0)
    return QStringLiteral("windows-1251");
  if (e.startsWith(u"ISO8859-", Qt::CaseInsensitive))
    return QStringLiteral("ISO-8859-") + e.mid(8);
  return e;
}

} // namespace

TWordSpan NextWord(QStringView text, qsizetype from) {
  qsizetype i = std::max<qsizetype>(from, 0);
  // Starting inside a word: go on after it.
  if (i > 0 && i < text.size() && IsWordChar(text[i - 1]) && ContinuesWord(text, i))
    i = WordEnd(text, i);
  while (i < text.size() && !IsWordChar(text[i]))
    ++i;
  if (i >= text.size())
    return {};
  return {i, WordEnd(text, i) - i};
}

TWordSpan WordAt(QStringView text, qsizetype pos) {
  if (pos < 0 || pos > text.size())
    return {};
  qsizetype s = pos;
  if (s == text.size() || !ContinuesWord(text, s)) {
    if (s == 0 || !IsWordChar(text[s - 1]))
      return {};
    --s;
  }
  while (s > 0 && ContinuesWord(text, s - 1))
    --s;
  while (s < text.size() && !IsWordChar(text[s])) // an apostrophe cannot start a word
    ++s;
  return {s, WordEnd(text, s) - s};
}

QList<TWordSpan> SplitWords(QStringView text) {
  QList<TWordSpan> words;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    while (i < n && !IsWordChar(text[i]))
      ++i;
    if (i >= n)
      break;
    const qsizetype e = WordEnd(text, i);
    words.append({i, e - i});
    i = e;
  }
  return words;
}

bool IsCheckableWord(QStringView word) {
  for (QChar c : word)
    if (c.isDigit())
      return false;
  return !word.isEmpty();
}

struct TSynEditSpellCheck::TOpenDict {
  TDictionaryProps Props;
  std::unique_ptr<Hunhandle, void (*)(Hunhandle *)> Handle{nullptr, Hunspell_destroy};
  QStringEncoder Encoder;
  QStringDecoder Decoder;
  QStringList UserWords; // sorted, case-sensitive
  bool Modified = false;
  bool ErrorReported = false;
  QHash<QString, bool> Cache;

  std::string Encode(const QString &word, bool *ok) {
    const QByteArray b = Encoder.encode(word);
    *ok = !Encoder.hasError();
    Encoder.resetState();
    return b.toStdString();
  }
  QString Decode(const std::string &s) {
    QString r = Decoder.decode(QByteArrayView(s.data(), qsizetype(s.size())));
    Decoder.resetState();
    return r;
  }
};

TSynEditSpellCheck::TSynEditSpellCheck() = default;

TSynEditSpellCheck::~TSynEditSpellCheck() {
  SaveAllUserDictionaries();
}

QStringList TSynEditSpellCheck::DefaultFolders(const QString &programDictPath) {
  return {programDictPath, QStringLiteral("/usr/share/hunspell/")};
}

bool TSynEditSpellCheck::LoadDictionaries(const QStringList &folders, const QList<int> &ids,
                                          const std::function<void(quint32)> &onLoad) {
  FDictionaries.clear();
  FLoadedDicts.clear();
  // A name the language table knows exactly wins over one that only shares the language
  // (de_BE is a copy of de_DE on many systems and must not take its place).
  QList<TDictionaryProps> inexact;
  auto taken = [this](quint32 id) {
    return std::any_of(FDictionaries.begin(), FDictionaries.end(),
                       [id](const TDictionaryProps &p) { return p.Id == id; });
  };
  for (const QString &f : folders) {
    if (f.isEmpty())
      continue;
    QDir dir(f);
    if (!dir.exists())
      continue;
    const QString folder = QDir::cleanPath(dir.absolutePath()) + u'/';
    const QStringList affs =
        dir.entryList({QStringLiteral("*.aff")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &aff : affs) {
      const QString base = QFileInfo(aff).completeBaseName();
      if (!QFileInfo::exists(folder + base + QStringLiteral(".dic")))
        continue;
      const QString locale = QString(base).replace(u'-', u'_');
      const quint32 id = LangIdOfLocaleName(locale);
      if (id == 0)
        continue;
      const TDictionaryProps props{id, base, folder};
      if (LocaleNameOfLangId(id).compare(locale, Qt::CaseInsensitive) == 0) {
        if (!taken(id))
          FDictionaries.append(props);
      } else {
        inexact.append(props);
      }
    }
  }
  for (const TDictionaryProps &p : inexact)
    if (!taken(p.Id))
      FDictionaries.append(p);
  for (const TDictionaryProps &p : FDictionaries) {
    if (!ids.isEmpty() && !ids.contains(int(p.Id)))
      continue;
    FLoadedDicts.append(p);
    if (onLoad)
      onLoad(p.Id);
  }
  return !FLoadedDicts.isEmpty();
}

QString TSynEditSpellCheck::GetLanguageName(quint32 langId) {
  const QString name = LocaleNameOfLangId(langId);
  if (name.isEmpty())
    return QString::number(langId);
  const QLocale loc(name);
  // The language in the user's interface language, with the country to tell variants apart.
  return QLocale::languageToString(loc.language()) + QStringLiteral(" (") +
         QLocale::territoryToString(loc.territory()) + u')';
}

QList<QPair<QString, quint32>> TSynEditSpellCheck::GetDictLanguages() const {
  QList<QPair<QString, quint32>> list;
  for (const TDictionaryProps &p : FLoadedDicts)
    list.append({GetLanguageName(p.Id), p.Id});
  std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  return list;
}

void TSynEditSpellCheck::SetUserDictPath(const QString &folder) {
  FUserDictPath = folder;
  if (!FUserDictPath.isEmpty() && !FUserDictPath.endsWith(u'/'))
    FUserDictPath += u'/';
}

TSynEditSpellCheck::TOpenDict *TSynEditSpellCheck::OpenDict(const TDictionaryProps &props, QString *error) {
  auto it = FOpen.find(props.Id);
  if (it != FOpen.end())
    return it->second.get();
  const QString aff = props.Folder + props.Shortname + QStringLiteral(".aff");
  const QString dic = props.Folder + props.Shortname + QStringLiteral(".dic");
  // Hunspell only prints a warning for a file it cannot open and then accepts nothing.
  for (const QString &f : {aff, dic}) {
    QFile file(f);
    if (!file.open(QIODevice::ReadOnly)) {
      *error = f + QStringLiteral(": ") + file.errorString();
      return nullptr;
    }
  }
  if (!HunspellLibrary().Load()) {
    *error = HunspellLibrary().Error();
    return nullptr;
  }
  auto d = std::make_unique<TOpenDict>();
  d->Props = props;
  d->Handle.reset(Hunspell_create(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData()));
  if (!d->Handle) {
    *error = aff + QStringLiteral(": out of memory");
    return nullptr;
  }
  const QString enc = ConverterName(QString::fromLatin1(Hunspell_get_dic_encoding(d->Handle.get())));
  d->Encoder = QStringEncoder(enc.toLatin1().constData());
  d->Decoder = QStringDecoder(enc.toLatin1().constData());
  if (!d->Encoder.isValid() || !d->Decoder.isValid()) {
    *error = aff + QStringLiteral(": ") + _("Unknown encoding") + QStringLiteral(" \"") + enc + u'"';
    return nullptr;
  }
  ReadUserDictionary(*d);
  TOpenDict *raw = d.get();
  FOpen.emplace(props.Id, std::move(d));
  return raw;
}

bool TSynEditSpellCheck::SelectDictionary(quint32 langId) {
  // The generation stays: each document checks with its own language and starts over when that
  // changes; only the user's words change the answers for a language.
  if (langId == 0) {
    FEnabled = false;
    return true;
  }
  if (langId == FLangId && FHandle) {
    FEnabled = true;
    return true;
  }
  const auto it = std::find_if(FLoadedDicts.begin(), FLoadedDicts.end(),
                               [langId](const TDictionaryProps &p) { return p.Id == langId; });
  CloseDictionary();
  if (it == FLoadedDicts.end()) {
    FLangId = 0;
    FEnabled = false;
    return false;
  }
  FLangId = langId;
  QString error;
  FHandle = OpenDict(*it, &error);
  FEnabled = FHandle != nullptr;
  if (!FHandle && !FFailed.contains(langId)) {
    FFailed.append(langId);
    if (OnError)
      OnError(error);
  }
  return FEnabled;
}

bool TSynEditSpellCheck::SelectDictionary(const QString &shortName) {
  for (const TDictionaryProps &p : FLoadedDicts)
    if (p.Shortname == shortName)
      return SelectDictionary(p.Id);
  return SelectDictionary(quint32(0xFFFFFFFF));
}

void TSynEditSpellCheck::CloseDictionary() {
  if (FHandle && UseUserDictionary)
    SaveUserDictionary(*FHandle);
  FHandle = nullptr;
}

void TSynEditSpellCheck::ReadUserDictionary(TOpenDict &d) {
  d.UserWords.clear();
  if (!UseUserDictionary || FUserDictPath.isEmpty())
    return;
  QFile f(FUserDictPath + d.Props.Shortname + QStringLiteral(".user.dic"));
  if (!f.open(QIODevice::ReadOnly))
    return;
  const QString text = QString::fromUtf8(f.readAll());
  for (const QString &line : text.split(u'\n')) {
    const QString w = line.trimmed();
    if (w.isEmpty())
      continue;
    const auto pos = std::lower_bound(d.UserWords.begin(), d.UserWords.end(), w);
    if (pos != d.UserWords.end() && *pos == w)
      continue;
    d.UserWords.insert(pos, w);
    bool ok = false;
    const std::string enc = d.Encode(w, &ok);
    if (ok)
      Hunspell_add(d.Handle.get(), enc.c_str());
  }
}

void TSynEditSpellCheck::Report(TOpenDict &d, const QString &message) {
  if (d.ErrorReported)
    return;
  d.ErrorReported = true;
  if (OnError)
    OnError(message);
}

bool TSynEditSpellCheck::SaveUserDictionary(TOpenDict &d) {
  if (!d.Modified)
    return true;
  if (FUserDictPath.isEmpty())
    return false;
  const QString name = FUserDictPath + d.Props.Shortname + QStringLiteral(".user.dic");
  if (!QDir().mkpath(FUserDictPath)) {
    Report(d, _("Cannot create the folder") + QStringLiteral(" ") + FUserDictPath);
    return false;
  }
  QByteArray data;
  for (const QString &w : d.UserWords)
    data += w.toUtf8() + '\n';
  QString error;
  // An emptied list is written too: removing the last word must stick after a restart.
  if (!WriteFileAtomically(name, data, &error)) {
    Report(d, name + QStringLiteral(": ") + error);
    return false;
  }
  d.Modified = false;
  d.ErrorReported = false;
  return true;
}

bool TSynEditSpellCheck::SaveUserDictionary() {
  return !FHandle || SaveUserDictionary(*FHandle);
}

bool TSynEditSpellCheck::SaveAllUserDictionaries() {
  bool ok = true;
  if (UseUserDictionary)
    for (auto &[id, d] : FOpen)
      ok = SaveUserDictionary(*d) && ok;
  return ok;
}

bool TSynEditSpellCheck::Modified() const {
  return FHandle && FHandle->Modified;
}
QStringList TSynEditSpellCheck::UserDict() const {
  return FHandle ? FHandle->UserWords : QStringList();
}
QString TSynEditSpellCheck::UserFileName() const {
  return FHandle ? FHandle->Props.Shortname + QStringLiteral(".user.dic") : QString();
}

bool TSynEditSpellCheck::CheckWord(const QString &word) {
  if (!FEnabled || !FHandle)
    return true;
  const QString w = word.trimmed();
  if (w.isEmpty() || ((Options & sscoIgnoreSingleChars) && w.size() == 1))
    return true;
  const auto hit = FHandle->Cache.constFind(w);
  if (hit != FHandle->Cache.constEnd())
    return *hit;
  bool ok = false;
  const std::string enc = FHandle->Encode(w, &ok);
  // A word the dictionary's encoding cannot even hold is not in it.
  const bool correct = ok && Hunspell_spell(FHandle->Handle.get(), enc.c_str()) != 0;
  if (FHandle->Cache.size() > 200000)
    FHandle->Cache.clear();
  FHandle->Cache.insert(w, correct);
  return correct;
}

QStringList TSynEditSpellCheck::GetSuggestions(const QString &word) {
  QStringList list;
  if (!(Options & sscoSuggestWords) || !FEnabled || !FHandle)
    return list;
  bool ok = false;
  const std::string enc = FHandle->Encode(word.trimmed(), &ok);
  if (!ok)
    return list;
  char **found = nullptr;
  const int n = Hunspell_suggest(FHandle->Handle.get(), &found, enc.c_str());
  for (int i = 0; i < n; ++i)
    list.append(FHandle->Decode(found[i]));
  Hunspell_free_list(FHandle->Handle.get(), &found, n);
  return list;
}

bool TSynEditSpellCheck::AddDictWord(const QString &word) {
  const QString w = word.trimmed();
  if (!FEnabled || !FHandle || w.isEmpty())
    return false;
  QStringList &words = FHandle->UserWords;
  const auto pos = std::lower_bound(words.begin(), words.end(), w);
  if (pos != words.end() && *pos == w)
    return false;
  bool ok = false;
  const std::string enc = FHandle->Encode(w, &ok);
  if (!ok)
    return false;
  words.insert(pos, w);
  Hunspell_add(FHandle->Handle.get(), enc.c_str());
  FHandle->Cache.clear();
  FHandle->Modified = true;
  ++FGeneration;
  if (OnAddWord)
    OnAddWord(w);
  return true;
}

bool TSynEditSpellCheck::RemoveDictWord(const QString &word) {
  const QString w = word.trimmed();
  if (!FEnabled || !FHandle || w.isEmpty())
    return false;
  QStringList &words = FHandle->UserWords;
  const auto pos = std::lower_bound(words.begin(), words.end(), w);
  if (pos == words.end() || *pos != w)
    return false;
  words.erase(pos);
  bool ok = false;
  const std::string enc = FHandle->Encode(w, &ok);
  if (ok)
    Hunspell_remove(FHandle->Handle.get(), enc.c_str());
  FHandle->Cache.clear();
  FHandle->Modified = true;
  ++FGeneration;
  return true;
}

namespace {
template <typename Ch>
THtmlScanState ScanHtmlT(const Ch *p, qsizetype n, THtmlScanState st,
                         QList<QPair<qsizetype, qsizetype>> *ranges) {
  using U = std::make_unsigned_t<Ch>;
  const auto at = [&](qsizetype i) -> char16_t { return i < n ? char16_t(U(p[i])) : 0; };
  const auto lower = [](char16_t c) -> char16_t { return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c; };
  const auto isLetter = [&](char16_t c) { return (lower(c) >= 'a' && lower(c) <= 'z'); };
  const auto startsAt = [&](qsizetype i, const char *s) {
    for (; *s; ++s, ++i)
      if (lower(at(i)) != char16_t(*s))
        return false;
    return true;
  };
  qsizetype textStart = st.Kind == THtmlScanState::Text ? 0 : -1;
  const auto endText = [&](qsizetype i) {
    if (ranges && textStart >= 0 && i > textStart)
      ranges->append({textStart, i});
    textStart = -1;
  };
  const auto toText = [&](qsizetype next) {
    st = THtmlScanState();
    textStart = next;
  };
  constexpr quint8 NameDone = 0xFF;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = at(i);
    switch (st.Kind) {
    case THtmlScanState::Text:
      if (c != '<')
        break;
      if (startsAt(i, "<!--")) {
        endText(i);
        st.Kind = THtmlScanState::Comment;
        i += 3;
      } else if (at(i + 1) == '?') {
        endText(i);
        st.Kind = THtmlScanState::Php;
        ++i;
      } else if (isLetter(at(i + 1)) || at(i + 1) == '/' || at(i + 1) == '!') {
        endText(i);
        st = THtmlScanState();
        st.Kind = THtmlScanState::Tag;
      }
      break;
    case THtmlScanState::Tag:
      if (st.Name != NameDone) {
        if (isLetter(c) && st.Name < 7) {
          st.NameText[st.Name++] = char(lower(c));
          break;
        }
        if (isLetter(c) || (c >= '0' && c <= '9')) {
          st.Name = 7; // too long for script or style
          st.NameText[0] = 0;
          break;
        }
        if (st.Name == 6 && std::equal(st.NameText, st.NameText + 6, "script"))
          st.Raw = 1;
        else if (st.Name == 5 && std::equal(st.NameText, st.NameText + 5, "style"))
          st.Raw = 2;
        st.Name = NameDone;
      }
      if (st.Quote) {
        if (c == char16_t(st.Quote))
          st.Quote = 0;
      } else if (c == '"' || c == '\'') {
        st.Quote = char(c);
      } else if (c == '>') {
        const quint8 raw = st.Raw;
        toText(i + 1);
        if (raw) {
          st.Kind = raw == 1 ? THtmlScanState::Script : THtmlScanState::Style;
          textStart = -1;
        }
      }
      break;
    case THtmlScanState::Comment:
      if (c == '-' && at(i + 1) == '-' && at(i + 2) == '>') {
        i += 2;
        toText(i + 1);
      }
      break;
    case THtmlScanState::Script:
    case THtmlScanState::Style:
      if (c == '<' && startsAt(i, st.Kind == THtmlScanState::Script ? "</script" : "</style")) {
        st = THtmlScanState();
        st.Kind = THtmlScanState::Tag;
        st.Name = NameDone;
      }
      break;
    case THtmlScanState::Php:
      if (c == '?' && at(i + 1) == '>') {
        ++i;
        toText(i + 1);
      }
      break;
    }
  }
  endText(n);
  return st;
}
} // namespace

THtmlScanState ScanHtml(QStringView text, THtmlScanState state,
                        QList<QPair<qsizetype, qsizetype>> *textRanges) {
  return ScanHtmlT(text.utf16(), text.size(), state, textRanges);
}

THtmlScanState ScanHtml(QByteArrayView text, THtmlScanState state) {
  return ScanHtmlT(text.data(), text.size(), state, nullptr);
}
