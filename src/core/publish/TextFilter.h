#pragma once
// The file-name filter of publishing and of search in files: a list of wildcard masks or one
// regular expression, in include or exclude mode.
#include <QRegularExpression>
#include <QString>
#include <stdexcept>

enum TFilterMode { fmOff, fmInclude, fmExclude };

// Raised by TTextFilter::SetFilter for a pattern it cannot use; the filter then holds a pattern
// that lets everything pass, so a caller that shows the message can carry on.
class EFilterError : public std::runtime_error {
public:
  explicit EFilterError(const QString &message)
      : std::runtime_error(message.toStdString()), FMessage(message) {}
  QString Message() const { return FMessage; }

private:
  QString FMessage;
};

class TTextFilter {
public:
  // isFileFilter: the texts are file names ("name.ext") and masks without an extension mean
  // "any extension".
  TTextFilter(bool isFileFilter, bool ignoreCase);

  bool RegExp() const { return FRegExp; }
  void SetRegExp(bool on) { FRegExp = on; }
  TFilterMode Mode() const { return FMode; }
  void SetMode(TFilterMode mode) { FMode = mode; }
  QChar Sep() const { return FSep; }
  void SetSep(QChar sep) { FSep = sep; }
  QString Filter() const { return FMask; }

  // Throws EFilterError ("Illegal regular expression!" or "Illegal mask!").
  void SetFilter(const QString &value);
  bool MatchesFilter(const QString &text) const;

  // The project's filter: the extensions of its text and binary types ("htm*,htt,css"); a file
  // passes when its extension (without the dot) matches one of them. Both lists empty: all.
  void SetProjectTypes(const QString &textTypes, const QString &binTypes);
  // The extension of a file name, without the dot (empty when it has none).
  static QString Extension(const QString &fileName);

private:
  bool MatchesMask(const QString &mask, const QString &text) const;

  bool FRegExp = false;
  TFilterMode FMode = fmInclude;
  QString FMask = QStringLiteral("*");
  QChar FSep = u'|';
  bool FIsFileFilter = false;
  bool FIgnoreCase = true;
  QRegularExpression FRe;
};
