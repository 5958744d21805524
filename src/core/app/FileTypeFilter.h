#pragma once
// Which files a search in files reads, by their extension (without the dot): masks separated by
// "," or "|", each a wildcard pattern ("*", "?", "[a-z]", "[!x]") compared without regard to case.
// A mask starting with "!" is negated. A file passes when any mask matches, or, when the whole
// list starts with "+", when every mask matches. An empty or invalid list lets every file pass.
#include <QString>
#include <QStringList>

class TFileTypeFilter {
public:
  TFileTypeFilter() = default;
  explicit TFileTypeFilter(const QString &masks) { SetMasks(masks); }

  void SetMasks(const QString &masks);
  bool IsValid() const { return FValid; }
  bool MatchesExtension(QStringView ext) const;
  // Matches the extension of a file name (the text after the last "." of its last part).
  bool Matches(QStringView fileName) const;

  // Wildcard match of one mask against a whole text, without regard to case; false when the mask
  // is malformed (an unclosed "[" reached while matching).
  static bool WildcardMatch(QStringView mask, QStringView text, bool *malformed = nullptr);

private:
  struct TMask {
    QString Pattern;
    bool Negated = false;
  };
  QList<TMask> FMasks;
  bool FAll = false; // "+": every mask must match
  bool FValid = false;
};
