// The page checker's library, opened when a page is first checked.
#ifdef QUILLMARK_TIDY
#include "core/preview/TidyLibrary.h"

#include <tidy/tidy.h>

TLazyLibrary &TidyLibrary() {
  static TLazyLibrary lib("page checker (tidy)", {QM_TIDY_SONAME, "libtidy.so"});
  return lib;
}

#define QM_TIDY(ret, name, params, args) QM_LAZY_FORWARD(TidyLibrary(), ret, name, params, args)

QM_TIDY(TidyDoc, tidyCreate, (void), ())
QM_TIDY(void, tidyRelease, (TidyDoc d), (d))
QM_TIDY(void, tidySetAppData, (TidyDoc d, void *p), (d, p))
QM_TIDY(void *, tidyGetAppData, (TidyDoc d), (d))
QM_TIDY(Bool, tidySetMessageCallback, (TidyDoc d, TidyMessageCallback f), (d, f))
QM_TIDY(Bool, tidyOptSetBool, (TidyDoc d, TidyOptionId o, Bool v), (d, o, v))
QM_TIDY(Bool, tidyOptSetInt, (TidyDoc d, TidyOptionId o, ulong v), (d, o, v))
QM_TIDY(int, tidySetInCharEncoding, (TidyDoc d, ctmbstr e), (d, e))
QM_TIDY(int, tidyParseString, (TidyDoc d, ctmbstr s), (d, s))
QM_TIDY(int, tidyRunDiagnostics, (TidyDoc d), (d))
QM_TIDY(TidyDoc, tidyGetMessageDoc, (TidyMessage m), (m))
QM_TIDY(TidyReportLevel, tidyGetMessageLevel, (TidyMessage m), (m))
QM_TIDY(int, tidyGetMessageLine, (TidyMessage m), (m))
QM_TIDY(int, tidyGetMessageColumn, (TidyMessage m), (m))
QM_TIDY(ctmbstr, tidyGetMessage, (TidyMessage m), (m))
#endif
