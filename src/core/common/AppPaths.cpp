#include "core/common/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString TAppPaths::WithExtension(const QString &fileName, const QString &ext) {
  const QFileInfo fi(fileName);
  const QString suffix = fi.suffix();
  QString base = fileName;
  if (!suffix.isEmpty())
    base.chop(suffix.size() + 1);
  return base + u'.' + ext;
}

TAppPaths TAppPaths::FromEnvironment() {
  TAppPaths p;
  const QString exeDir = QCoreApplication::applicationDirPath();
  p.BaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (p.BaseName.isEmpty())
    p.BaseName = QStringLiteral("Velmo");
  // Built: data files lie beside the executable. Installed: in ../share/quillmark.
  const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../share/quillmark"));
  if (!QFileInfo::exists(exeDir + QStringLiteral("/default.html")) && QFileInfo::exists(installed))
    p.ProgramDir = installed + u'/';
  else
    p.ProgramDir = exeDir + u'/';
  p.DictPath = p.ProgramDir + QStringLiteral("dict/");

  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  p.AppPath = config.isEmpty() ? QString() : config + QStringLiteral("/Tamrix");
  if (p.AppPath.isEmpty() || !QDir().mkpath(p.AppPath))
    p.AppPath = exeDir;
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty())
    docs = QDir::homePath();
  p.UserPath = docs + u'/';
  p.IniName = p.AppPath + u'/' + p.BaseName + QStringLiteral(".ini");
  return p;
}

QString TAppPaths::HighlighterFile(const QString &section) const {
  const QString name = BaseName + u'-' + section + QStringLiteral(".hlt");
  const QString user = QFileInfo(IniName).absolutePath() + u'/' +
                       QFileInfo(IniName).completeBaseName() + u'-' + section + QStringLiteral(".hlt");
  if (QFileInfo::exists(user))
    return user;
  return ProgramDir + name;
}

bool OptionMatches(const QString &key, const QString &option) {
  return !key.isEmpty() && option.startsWith(key, Qt::CaseInsensitive);
}

TCommandLine ParseCommandLine(const QStringList &args, const QString &appPath) {
  TCommandLine cl;
  for (const QString &arg : args) {
    if (arg.startsWith(u'-')) {
      QString opt = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
      cl.Options << opt;
      const qsizetype colon = opt.indexOf(u':');
      const QString key = colon < 0 ? opt : opt.left(colon);
      const QString value = colon < 0 ? QString() : opt.mid(colon + 1);
      if (OptionMatches(key, QStringLiteral("ini")) && !value.isEmpty()) {
        QString name = value;
        if (QFileInfo(name).suffix().isEmpty())
          name += QStringLiteral(".ini");
        if (QDir::isRelativePath(name))
          name = appPath + u'/' + name;
        cl.IniName = QDir::cleanPath(name);
      }
      continue;
    }
    if (arg.isEmpty())
      continue;
    cl.Files << QFileInfo(arg).absoluteFilePath();
  }
  return cl;
}
