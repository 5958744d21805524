#include "core/common/Translate.h"

static TTranslator &CurrentTranslator() {
  static TTranslator t;
  return t;
}

void SetTranslator(TTranslator t) { CurrentTranslator() = std::move(t); }

QString Translate(const char *source) {
  const auto &t = CurrentTranslator();
  return t ? t(source) : QString::fromUtf8(source);
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
