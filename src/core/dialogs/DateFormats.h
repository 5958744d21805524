#pragma once
// The date formats of the date command. Each has the pattern written into documents (d, dd, m,
// mm, mmm, mmmm, yy, yyyy; text in double quotes is copied) and the pattern the date picker
// shows (Qt's notation). Month names come from the locale of the text language.
#include <QDate>
#include <QLocale>
#include <QString>
#include <array>

struct TDateFormat {
  const char *Output;
  const char *Display;
};
constexpr int DateFormatCount = 7;
extern const std::array<TDateFormat, DateFormatCount> DateFormats;

// The date written with an output pattern.
QString FormatDatePattern(QDate date, const QString &pattern, const QLocale &locale);
// The date in format index (0 .. DateFormatCount - 1).
QString FormatDateIndex(QDate date, int index, const QLocale &locale);
// A row of the format list: the date in that format, then the pattern without its quotes in
// parentheses.
QString DateFormatCaption(QDate date, int index, const QLocale &locale);
// A date typed in the locale's short format; an invalid date when the text does not read. Two-digit
// years fall within fifty years of today's.
QDate ReadShortDate(const QString &text, const QLocale &locale, QDate today = QDate::currentDate());
