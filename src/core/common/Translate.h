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
// Marks a text in a table for the catalogue; the code that shows it passes it through _().
#define N_(s) s

// Fills the "%s" / "%d" / "%u" places of a translated text in order (the texts use that form).
QString FormatS(const QString &format, const QStringList &args);

// Text domains of the catalogues: the program's own texts, the names of the offered languages,
// and the texts of the widget toolkit's own dialogs and menus.
inline constexpr const char *DomainDefault = "default";
inline constexpr const char *DomainLanguages = "languages";
inline constexpr const char *DomainFramework = "framework";

// The catalogue of a language and domain as embedded in the program:
// ":/locale/<code>/LC_MESSAGES/<domain>.mo".
QString CatalogueResource(const QString &code, const QString &domain);

// Loads the embedded catalogues of the language (two lower-case letters) and makes _() use them;
// the toolkit's own texts are served from the framework domain. A language without catalogues
// (English, the source language, among them) leaves every text as it is. Returns whether a
// catalogue of the default domain was found.
bool UseLanguage(const QString &code);
// The interface language chosen at start-up ("en" until one is chosen); fixed for the run.
QString CurrentLanguageCode();
bool IsEnglishInterface();
// A text of a named domain (the source text when the domain has none).
QString TranslateIn(const char *domain, const char *source);
