#include "core/common/Translate.h"
#include "core/common/MoFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QResource>
#include <QTranslator>
#include <array>
#include <memory>

namespace {
TTranslator &CurrentTranslator() {
  static TTranslator t;
  return t;
}

struct TCatalogues {
  QString Code = QStringLiteral("en");
  TMoCatalog Default, Languages, Framework;
};

TCatalogues &Catalogues() {
  static TCatalogues c;
  return c;
}

// Reads an embedded catalogue; compressed resources are unpacked, plain ones are used in place.
bool LoadCatalogue(TMoCatalog &cat, const QString &code, const char *domain) {
  QResource r(CatalogueResource(code, QString::fromLatin1(domain)));
  if (!r.isValid())
    return false;
  if (r.compressionAlgorithm() == QResource::NoCompression)
    return cat.Load(QByteArray::fromRawData(reinterpret_cast<const char *>(r.data()), r.size()));
  return cat.Load(r.uncompressedData());
}

// Serves the toolkit's own texts (button captions, the line edits' menus, the file dialog) from
// our catalogues, whatever context the toolkit asks in.
class TFrameworkTranslator : public QTranslator {
public:
  QString translate(const char *, const char *source, const char *, int) const override {
    if (!source || !*source)
      return QString();
    QString t = Catalogues().Framework.Lookup(source);
    return t.isNull() ? Catalogues().Default.Lookup(source) : t;
  }
  bool isEmpty() const override { return false; }
};
} // namespace

void SetTranslator(TTranslator t) { CurrentTranslator() = std::move(t); }

QString Translate(const char *source) {
  const auto &t = CurrentTranslator();
  return t ? t(source) : QString::fromUtf8(source);
}

QString CatalogueResource(const QString &code, const QString &domain) {
  return QStringLiteral(":/locale/") + code.toLower() + QStringLiteral("/LC_MESSAGES/") + domain.toLower() +
         QStringLiteral(".mo");
}

bool UseLanguage(const QString &code) {
  TCatalogues &c = Catalogues();
  c.Code = code.isEmpty() ? QStringLiteral("en") : code.toLower();
  c.Default.Clear();
  c.Languages.Clear();
  c.Framework.Clear();
  const bool found = LoadCatalogue(c.Default, c.Code, DomainDefault);
  LoadCatalogue(c.Languages, c.Code, DomainLanguages);
  LoadCatalogue(c.Framework, c.Code, DomainFramework);
  if (c.Default.IsEmpty()) {
    SetTranslator({});
  } else {
    SetTranslator([](const char *source) {
      const QString t = Catalogues().Default.Lookup(source);
      return t.isNull() ? QString::fromUtf8(source) : t;
    });
  }
  static TFrameworkTranslator *installed = nullptr;
  if (QCoreApplication::instance() && !installed && !c.Framework.IsEmpty()) {
    installed = new TFrameworkTranslator;
    QCoreApplication::installTranslator(installed);
  }
  return found;
}

QString CurrentLanguageCode() { return Catalogues().Code; }

bool IsEnglishInterface() { return Catalogues().Code == u"en"; }

QString TranslateIn(const char *domain, const char *source) {
  const TCatalogues &c = Catalogues();
  const TMoCatalog *cat = nullptr;
  if (qstricmp(domain, DomainDefault) == 0)
    cat = &c.Default;
  else if (qstricmp(domain, DomainLanguages) == 0)
    cat = &c.Languages;
  else if (qstricmp(domain, DomainFramework) == 0)
    cat = &c.Framework;
  const QString t = cat ? cat->Lookup(source) : QString();
  return t.isNull() ? QString::fromUtf8(source) : t;
}

QString FormatS(const QString &format, const QStringList &args) {
  QString out;
  out.reserve(format.size() + 32);
  qsizetype next = 0;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == u'%' && i + 1 < format.size()) {
      const QChar k = format[i + 1];
      if (k == u's' || k == u'd' || k == u'u') {
        out += args.value(next++);
        ++i;
        continue;
      }
      if (k == u'%') {
        out += u'%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}
