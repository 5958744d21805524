#pragma once
// Parsing of directory listings: machine listings ("MLSD") and the "LIST" output of Unix-like
// and DOS-like servers, plus the time stamps of "MDTM" and "MLSD".
#include "core/net/FtpTypes.h"

#include <QByteArray>
#include <QList>

namespace FtpListing {

// One "fact=value;...; name" line. False for lines that are not entries or that name the
// current or parent directory.
bool ParseMlsdLine(const QString &line, TFtpListEntry &entry);

// One line of a "LIST" answer in Unix ("drwxr-xr-x 2 u g 4096 Jan  5 12:00 name", with an
// extra group field, localized month names, or numeric dates such as "2005-06-07 21:22",
// "09-26 13:45", "1999/10/12") or DOS ("01-05-20  12:00PM  <DIR>  name", four-digit years,
// "2002-09-02  18:48", sizes such as "9,730") format. Times without a year are placed in the
// twelve months up to `now` (UTC); an unknown month word keeps the entry without a time.
// False for "total" lines and lines that are not entries.
bool ParseListLine(const QString &line, TFtpListEntry &entry, const QDateTime &nowUtc);

// Whole answers. Entries whose names could not be used safely as a single path element
// (empty, ".", "..", containing '/', NUL, CR or LF) are dropped. Lines that are neither an
// entry nor a known non-entry ("total 48", the current and parent directory) are added to
// `unparsed` so that the caller can report them.
QList<TFtpListEntry> ParseListing(const QByteArray &data, bool mlsd, const QDateTime &nowUtc,
                                  bool utf8 = true, QStringList *unparsed = nullptr);

// "YYYYMMDDHHMMSS[.fff]" as UTC; invalid when malformed.
QDateTime ParseFtpTime(const QString &text);
// The reverse, "YYYYMMDDHHMMSS" of a UTC time.
QString FormatFtpTime(const QDateTime &utc);

// True when `name` can stand for one entry of a directory (see ParseListing).
bool IsSafeEntryName(const QString &name);

} // namespace FtpListing
