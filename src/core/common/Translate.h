#pragma once
// The one gate for user-visible texts: _("English source text") gives the text in the interface
// language. Until a catalogue is installed the source text is returned unchanged.
#include <QString>
#include <QStringList>
#include <functional>

using TTranslator = std::function<QString(const char *)>;
void SetTranslator(TTranslator t);
QString Translate(const char *source);

#define _(s) Translate(s)

// Fills the "%s" / "%d" / "%u" places of a translated text in order (the texts use that form).
QString FormatS(const QString &format, const QStringList &args);
