#pragma once
// Language identifiers as stored in settings and project files (16-bit numbers such as 0x0407),
// mapped to locale names.
#include <QLocale>
#include <QString>

// Locale name ("de_DE") of a language identifier; empty when unknown.
QString LocaleNameOfLangId(quint32 langId);
// Language identifier of a locale name ("de_DE" or "de"); 0 when unknown.
quint32 LangIdOfLocaleName(const QString &name);
// The user's default language identifier (from the system locale; en_US when unknown).
quint32 UserDefaultLangId();
QLocale LocaleOfLangId(quint32 langId);
