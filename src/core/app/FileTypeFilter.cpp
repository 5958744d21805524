#include "core/app/FileTypeFilter.h"

namespace {
bool SameLetter(QChar a, QChar b) {
  return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool InRange(QChar c, QChar lo, QChar hi) {
  return lo <= c && c <= hi;
}

// Matches a character set starting at mask[i] == '['; returns the index after its ']', or -1 when
// the set is not closed.
qsizetype MatchSet(QStringView mask, qsizetype i, QChar c, bool &matched) {
  qsizetype j = i + 1;
  bool negate = false;
  if (j < mask.size() && (mask[j] == u'!' || mask[j] == u'^')) {
    negate = true;
    ++j;
  }
  bool hit = false;
  bool first = true;
  const QChar lower = c.toLower(), upper = c.toUpper();
  while (j < mask.size() && (mask[j] != u']' || first)) {
    first = false;
    QChar lo = mask[j], hi = lo;
    if (j + 2 < mask.size() && mask[j + 1] == u'-' && mask[j + 2] != u']') {
      hi = mask[j + 2];
      j += 3;
    } else {
      ++j;
    }
    if (InRange(c, lo, hi) || InRange(lower, lo, hi) || InRange(upper, lo, hi))
      hit = true;
  }
  if (j >= mask.size())
    return -1;
  matched = hit != negate;
  return j + 1;
}
} // namespace

bool TFileTypeFilter::WildcardMatch(QStringView mask, QStringView text, bool *malformed) {
  if (malformed)
    *malformed = false;
  // Greedy matching with one backtrack point: the last "*" seen. Linear in practice, quadratic
  // at worst, and masks are short.
  qsizetype m = 0, t = 0, starM = -1, starT = 0;
  while (t < text.size()) {
    if (m < mask.size()) {
      const QChar k = mask[m];
      if (k == u'*') {
        starM = m++;
        starT = t;
        continue;
      }
      if (k == u'?') {
        ++m;
        ++t;
        continue;
      }
      if (k == u'[') {
        bool hit = false;
        const qsizetype next = MatchSet(mask, m, text[t], hit);
        if (next < 0) {
          if (malformed)
            *malformed = true;
          return false;
        }
        if (hit) {
          m = next;
          ++t;
          continue;
        }
      } else if (SameLetter(k, text[t])) {
        ++m;
        ++t;
        continue;
      }
    }
    if (starM < 0)
      return false;
    m = starM + 1;
    t = ++starT;
  }
  while (m < mask.size() && mask[m] == u'*')
    ++m;
  return m == mask.size();
}

void TFileTypeFilter::SetMasks(const QString &masks) {
  FMasks.clear();
  FAll = false;
  QString list = masks.trimmed();
  if (list.startsWith(u'+')) {
    FAll = true;
    list.remove(0, 1);
  }
  list.replace(u',', u'|');
  FValid = true;
  for (const QString &part : list.split(u'|', Qt::SkipEmptyParts)) {
    TMask mk;
    mk.Pattern = part.trimmed();
    if (mk.Pattern.startsWith(u'!')) {
      mk.Negated = true;
      mk.Pattern.remove(0, 1);
    }
    if (mk.Pattern.isEmpty())
      continue;
    bool bad = false;
    for (qsizetype i = 0; !bad && i < mk.Pattern.size(); ++i) {
      bool dummy = false;
      if (mk.Pattern[i] == u'[' && MatchSet(mk.Pattern, i, QChar(u' '), dummy) < 0)
        bad = true;
    }
    if (bad) {
      FValid = false;
      FMasks.clear();
      return;
    }
    FMasks << mk;
  }
  if (FMasks.isEmpty())
    FValid = false;
}

bool TFileTypeFilter::MatchesExtension(QStringView ext) const {
  if (!FValid)
    return true;
  for (const TMask &mk : FMasks) {
    const bool hit = WildcardMatch(mk.Pattern, ext) != mk.Negated;
    if (FAll && !hit)
      return false;
    if (!FAll && hit)
      return true;
  }
  return FAll;
}

bool TFileTypeFilter::Matches(QStringView fileName) const {
  const qsizetype slash = fileName.lastIndexOf(u'/');
  const QStringView name = fileName.mid(slash + 1);
  const qsizetype dot = name.lastIndexOf(u'.');
  return MatchesExtension(dot < 0 ? QStringView() : name.mid(dot + 1));
}
