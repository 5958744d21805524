#include "core/editor/HunspellLibrary.h"

#include <hunspell.h>

TLazyLibrary &HunspellLibrary() {
  static TLazyLibrary lib("spell checking (Hunspell)", {QM_HUNSPELL_SONAME, "libhunspell-1.7.so.0"});
  return lib;
}

#define QM_HUNSPELL(ret, name, params, args) QM_LAZY_FORWARD(HunspellLibrary(), ret, name, params, args)

QM_HUNSPELL(Hunhandle *, Hunspell_create, (const char *aff, const char *dic), (aff, dic))
QM_HUNSPELL(void, Hunspell_destroy, (Hunhandle * h), (h))
QM_HUNSPELL(char *, Hunspell_get_dic_encoding, (Hunhandle * h), (h))
QM_HUNSPELL(int, Hunspell_spell, (Hunhandle * h, const char *w), (h, w))
QM_HUNSPELL(int, Hunspell_suggest, (Hunhandle * h, char ***list, const char *w), (h, list, w))
QM_HUNSPELL(void, Hunspell_free_list, (Hunhandle * h, char ***list, int n), (h, list, n))
QM_HUNSPELL(int, Hunspell_add, (Hunhandle * h, const char *w), (h, w))
QM_HUNSPELL(int, Hunspell_remove, (Hunhandle * h, const char *w), (h, w))
