#pragma once
// Splitting a text into its lines, whatever breaks it uses.
#include <QList>
#include <QStringView>

// The lines of text, split at CR LF, LF or CR; a break at the very end starts no further line.
// The views point into text.
QList<QStringView> TextLineViews(QStringView text);
