#include "core/common/LangIds.h"

#include <array>

namespace {
struct TLangIdRow {
  quint16 Id;
  const char *Name;
};
// Primary language first for each language, so that "de" finds de_DE.
constexpr std::array<TLangIdRow, 40> LangIdTable = {{
    {0x0409, "en_US"}, {0x0809, "en_GB"}, {0x0C09, "en_AU"}, {0x1009, "en_CA"}, {0x1409, "en_NZ"},
    {0x1809, "en_IE"}, {0x0407, "de_DE"}, {0x0C07, "de_AT"}, {0x0807, "de_CH"}, {0x040E, "hu_HU"},
    {0x040C, "fr_FR"}, {0x080C, "fr_BE"}, {0x0C0C, "fr_CA"}, {0x100C, "fr_CH"}, {0x0410, "it_IT"},
    {0x0C0A, "es_ES"}, {0x080A, "es_MX"}, {0x0413, "nl_NL"}, {0x0813, "nl_BE"}, {0x0416, "pt_BR"},
    {0x0816, "pt_PT"}, {0x0415, "pl_PL"}, {0x0405, "cs_CZ"}, {0x041B, "sk_SK"}, {0x0424, "sl_SI"},
    {0x041A, "hr_HR"}, {0x0418, "ro_RO"}, {0x0402, "bg_BG"}, {0x0419, "ru_RU"}, {0x0422, "uk_UA"},
    {0x0406, "da_DK"}, {0x041D, "sv_SE"}, {0x0414, "nb_NO"}, {0x040B, "fi_FI"}, {0x0408, "el_GR"},
    {0x041F, "tr_TR"}, {0x0425, "et_EE"}, {0x0426, "lv_LV"}, {0x0427, "lt_LT"}, {0x040D, "he_IL"},
}};
} // namespace

QString LocaleNameOfLangId(quint32 langId) {
  for (const auto &r : LangIdTable)
    if (r.Id == langId)
      return QString::fromLatin1(r.Name);
  return {};
}

quint32 LangIdOfLocaleName(const QString &name) {
  for (const auto &r : LangIdTable)
    if (name.compare(QLatin1String(r.Name), Qt::CaseInsensitive) == 0)
      return r.Id;
  const QString lang = name.section(u'_', 0, 0);
  for (const auto &r : LangIdTable)
    if (QLatin1String(r.Name).startsWith(lang + u'_', Qt::CaseInsensitive))
      return r.Id;
  return 0;
}

quint32 UserDefaultLangId() {
  const quint32 id = LangIdOfLocaleName(QLocale::system().name());
  return id ? id : 0x0409;
}

QLocale LocaleOfLangId(quint32 langId) {
  const QString n = LocaleNameOfLangId(langId);
  return n.isEmpty() ? QLocale::system() : QLocale(n);
}
