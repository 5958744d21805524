#pragma once
// File sizes as people write them: "1,50 KiB", "123 MB", "512 B".
#include <QChar>
#include <QString>
#include <optional>

// Decimal units step by 1000 (kB, MB, GB), binary ones by 1024 (KiB, MiB, GiB).
enum TSizeUnits { suDecimal, suBinary };

// The size with the largest unit that keeps the number below the base (GB/GiB at most), with two
// decimals below 10, one below 100 and none above; bytes are written without decimals.
QString FormatFileSize(qint64 bytes, TSizeUnits units, QChar decimalSep);

// Reads a size such as "1,5 KiB", "2MB", "512 b" or "3 TB" (an "i" before the final "B" selects
// base 1024; an empty text is 0). Nothing for text that is not a size, for negative numbers and
// for sizes that do not fit in 64 bits.
std::optional<qint64> ParseFileSize(const QString &text, QChar decimalSep);

// A plain decimal number with the given separator: optional sign, digits, optional fraction, no
// thousands separators or exponents; blanks around it are ignored.
std::optional<double> ReadDecimal(const QString &text, QChar decimalSep);
