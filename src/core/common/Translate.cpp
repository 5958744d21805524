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
