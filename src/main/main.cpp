#include "ui/app/HauptForm.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmark"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillmark"));
  QApplication::setDesktopFileName(QStringLiteral("quillmark"));
  THauptForm form(QApplication::arguments().mid(1));
  if (!form.Init())
    return 0;
  form.show();
  // Without a window manager nobody else gives the new window the keyboard focus (and so its
  // shortcuts and menu keys).
  form.activateWindow();
  return QApplication::exec();
}
