#include "core/app/LanguageList.h"
#include "core/app/SingleInstance.h"
#include "core/common/AppPaths.h"
#include "core/common/Translate.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormDesktop.h"
#include "ui/common/AfterShown.h"
#include "ui/common/Icons.h"
#include "ui/common/MessageBox.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmark"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillmark"));
  QApplication::setDesktopFileName(QStringLiteral("quillmark"));
  // The interface language is fixed before the first window exists.
  const TAppPaths paths = TAppPaths::FromEnvironment();
  InitTranslation(QApplication::arguments().mid(1), paths.AppPath, paths.ProgramDir, paths.BaseName);
  // One program per settings file: a later start hands its files to the running one and ends.
  const TCommandLine commandLine = ParseCommandLine(QApplication::arguments().mid(1), paths.AppPath);
  TSingleInstance instance(commandLine.IniName.isEmpty() ? paths.IniName : commandLine.IniName);
  // Later starts are listened for once the window is on the screen (they wait that long).
  switch (instance.Start(commandLine.Files, 5000, false)) {
  case TSingleInstance::irHandedOver:
    return 0;
  case TSingleInstance::irNoAnswer:
    ErrorBox(_("The program already runs with this settings file but does not answer:") + u'\n' +
             (commandLine.IniName.isEmpty() ? paths.IniName : commandLine.IniName));
    return 1;
  case TSingleInstance::irPrimary:
    break;
  }
  // At the latest after a second: start-up may wait in a dialog, or the window never paints.
  QTimer::singleShot(1000, &instance, &TSingleInstance::Listen);
  InstallLazyStandardIcons();
  THauptForm form(QApplication::arguments().mid(1));
  InstallFileDrops(&form);
  if (!form.Init())
    return 0;
  instance.SetHandler([&form](const QStringList &files) { OpenOutsideFiles(&form, files, true); });
  form.show();
  RunAfterShown(&form, [&instance] { instance.Listen(); });
  // Without a window manager nobody else gives the new window the keyboard focus (and so its
  // shortcuts and menu keys).
  form.activateWindow();
  return QApplication::exec();
}
