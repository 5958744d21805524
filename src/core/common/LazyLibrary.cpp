#include "core/common/LazyLibrary.h"

#include <QStringList>
#include <QtGlobal>

#include <dlfcn.h>

TLazyLibrary::TLazyLibrary(const char *title, std::initializer_list<const char *> names)
    : FTitle(title), FNames(names) {}

bool TLazyLibrary::Load() {
  std::call_once(FOnce, [this] {
    QStringList tried;
    for (const char *name : FNames) {
      FHandle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
      if (FHandle)
        return;
      tried << QString::fromLocal8Bit(dlerror());
    }
    FError = QStringLiteral("The %1 library could not be loaded (%2)")
                 .arg(QLatin1String(FTitle), tried.join(QLatin1String("; ")));
  });
  return FHandle;
}

QString TLazyLibrary::Error() {
  Load();
  return FError;
}

void *TLazyLibrary::Required(const char *name) {
  if (!Load())
    qFatal("%s", qPrintable(FError));
  void *f = dlsym(FHandle, name);
  if (!f)
    qFatal("The installed %s library has no function %s: it is not the version this program was built for",
           FTitle, name);
  return f;
}
