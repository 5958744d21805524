#pragma once
// Where the program keeps its files, and the command line.
#include <QString>
#include <QStringList>

struct TAppPaths {
  QString ProgramDir; // folder of the executable (or its data folder when installed), trailing '/'
  QString BaseName;   // executable name without extension, names every per-user file
  QString AppPath;    // per-user folder <XDG config>/Tamrix, no trailing '/'
  QString UserPath;   // the Documents folder, trailing '/'
  QString IniName;
  QString DictPath;

  // Fills everything from the running program; IniName = AppPath/BaseName.ini.
  static TAppPaths FromEnvironment();

  QString LogName() const { return WithExtension(IniName, QStringLiteral("log")); }
  QString KeyName() const { return WithExtension(IniName, QStringLiteral("key")); }
  QString MacroName() const { return WithExtension(IniName, QStringLiteral("mac")); }
  QString LanguageFile() const { return AppPath + u'/' + BaseName + QStringLiteral(".cfg"); }
  // Velmo-HTML.hlt beside the settings file, else the same name in the program folder.
  QString HighlighterFile(const QString &section) const;

  static QString WithExtension(const QString &fileName, const QString &ext);
};

struct TCommandLine {
  QString IniName;   // empty when no -ini option was given
  QStringList Files; // absolute file names, in the order given
  QStringList Options; // every option as given, without its leading dashes (for later parts)
};

// Only "-x" and "--x" start an option (a "/" starts every absolute path on this system). The key
// before ':' matches an option when it is a non-empty case-insensitive prefix of its name; only
// "ini" is handled here: a value without an extension gets ".ini", a relative one lives in
// appPath. Everything else is a file name, taken relative to the current folder.
TCommandLine ParseCommandLine(const QStringList &args, const QString &appPath);
// True when key abbreviates option (non-empty prefix, ignoring case).
bool OptionMatches(const QString &key, const QString &option);
