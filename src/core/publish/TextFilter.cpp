#include "core/publish/TextFilter.h"

#include "core/app/FileTypeFilter.h"
#include "core/common/Translate.h"

namespace {
// A mask is usable when every "[" has its closing "]" (a "]" right after "[" or "[!" is a
// member of the set, not its end).
bool ValidMask(QStringView mask) {
  for (qsizetype i = 0; i < mask.size(); ++i) {
    if (mask[i] != u'[')
      continue;
    qsizetype j = i + 1;
    if (j < mask.size() && (mask[j] == u'!' || mask[j] == u'^'))
      ++j;
    ++j; // the first member may be "]"
    while (j < mask.size() && mask[j] != u']')
      ++j;
    if (j >= mask.size())
      return false;
    i = j;
  }
  return true;
}

QStringList Elements(const QString &mask, QChar sep) {
  QString m = mask;
  if (m.startsWith(u'+'))
    m.remove(0, 1);
  QStringList out;
  for (const QString &e : m.split(sep, Qt::SkipEmptyParts)) {
    const QString t = e.trimmed();
    if (!t.isEmpty())
      out << t;
  }
  return out;
}
} // namespace

TTextFilter::TTextFilter(bool isFileFilter, bool ignoreCase)
    : FIsFileFilter(isFileFilter), FIgnoreCase(ignoreCase) {}

QString TTextFilter::Extension(const QString &fileName) {
  const qsizetype slash = fileName.lastIndexOf(u'/');
  const qsizetype dot = fileName.lastIndexOf(u'.');
  return dot > slash ? fileName.mid(dot + 1) : QString();
}

void TTextFilter::SetFilter(const QString &value) {
  if (FRegExp) {
    FMask = value.isEmpty() ? QStringLiteral(".") : value;
    FRe.setPattern(FMask);
    FRe.setPatternOptions(FIgnoreCase ? QRegularExpression::CaseInsensitiveOption
                                      : QRegularExpression::NoPatternOption);
    if (!FRe.isValid()) {
      FMask = QStringLiteral(".");
      FRe.setPattern(FMask);
      throw EFilterError(_("Illegal regular expression!"));
    }
    return;
  }
  QString mask = value.trimmed().isEmpty() ? QStringLiteral("*") : value.trimmed();
  if (FIsFileFilter) {
    const bool all = mask.startsWith(u'+');
    QStringList parts;
    for (QString e : Elements(mask, FSep)) {
      if (!e.contains(u'.'))
        e += QStringLiteral(".*");
      parts << e;
    }
    mask = (all ? QStringLiteral("+") : QString()) + parts.join(FSep);
  }
  for (const QString &e : Elements(mask, FSep)) {
    if (!ValidMask(e.startsWith(u'!') ? QStringView(e).mid(1) : QStringView(e))) {
      FMask = QStringLiteral("*");
      throw EFilterError(_("Illegal mask!"));
    }
  }
  FMask = mask;
}

bool TTextFilter::MatchesMask(const QString &mask, const QString &text) const {
  // Mask comparisons always ignore case, as the file systems the masks were written for do.
  if (FIsFileFilter && mask.contains(u'.') && Extension(text).isEmpty() && !text.endsWith(u'.'))
    return TFileTypeFilter::WildcardMatch(mask, text + u'.');
  return TFileTypeFilter::WildcardMatch(mask, text);
}

bool TTextFilter::MatchesFilter(const QString &text) const {
  if (FMode == fmOff)
    return true;
  bool result;
  if (FRegExp) {
    result = FRe.match(text).hasMatch();
  } else {
    const bool all = FMask.startsWith(u'+');
    const QStringList elements = Elements(FMask, FSep);
    result = all;
    for (const QString &e : elements) {
      const bool hit = e.startsWith(u'!') ? !MatchesMask(e.mid(1), text) : MatchesMask(e, text);
      if (all && !hit) {
        result = false;
        break;
      }
      if (!all && hit) {
        result = true;
        break;
      }
    }
    if (elements.isEmpty())
      result = true;
  }
  return FMode == fmExclude ? !result : result;
}

void TTextFilter::SetProjectTypes(const QString &textTypes, const QString &binTypes) {
  QStringList lists;
  if (!textTypes.trimmed().isEmpty())
    lists << textTypes.trimmed();
  if (!binTypes.trimmed().isEmpty())
    lists << binTypes.trimmed();
  QString mask = lists.isEmpty() ? QStringLiteral("*") : lists.join(u',');
  mask.replace(u',', FSep);
  SetFilter(mask);
}
