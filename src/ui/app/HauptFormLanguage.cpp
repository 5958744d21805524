// The main window's part of the interface languages: the "Desktop &language" menu and a change of
// language, which is stored and takes effect when the program has started again.
#include "core/app/LanguageList.h"
#include "core/common/AppPaths.h"
#include "core/common/Translate.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>

void THauptForm::CreateLanguageMenu() {
  FLanguageList = std::make_unique<TLanguageList>(Paths.ProgramDir);
  FLangMenu = new QMenu(_("Desktop &language"), this);
  FLangMenu->setObjectName(QStringLiteral("itmLang"));
  FHelpMenu->insertMenu(FHelpMenu->actions().value(0), FLangMenu);
  FHelpMenu->insertSeparator(FHelpMenu->actions().value(1));
  const TLanguageChoice &choice = LanguageChoice();
  // The menu shows what the user chose: the command line's language, else the stored one (empty:
  // the system default).
  const QString shown = choice.CommandLine.isEmpty() ? ReadLanguageFile(choice.LangFile) : choice.CommandLine;
  FLanguageList->LoadLanguageNames(CurrentLanguageCode());
  FLanguageList->SetSelectedLanguageCode(shown);
  FillLanguageMenu();
}

void THauptForm::FillLanguageMenu() {
  FLangMenu->clear();
  auto *group = new QActionGroup(FLangMenu);
  const QList<TLanguageEntry> &entries = FLanguageList->Entries();
  for (int i = 0; i < entries.size(); ++i) {
    if (i == 1)
      FLangMenu->addSeparator();
    QAction *a = FLangMenu->addAction(entries[i].Name);
    const QString code = LangCodeText(entries[i].Code);
    a->setObjectName(QStringLiteral("itmLang_") + (code.isEmpty() ? QStringLiteral("default") : code));
    a->setData(i + 1);
    a->setCheckable(true);
    a->setChecked(code == FLanguageList->SelectedLanguageCode());
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, code] { LangItemClick(code); });
  }
}

void THauptForm::LangItemClick(const QString &code) {
  if (code == FLanguageList->SelectedLanguageCode())
    return;
  const QString previous = FLanguageList->SelectedLanguageCode();
  FLanguageList->SetSelectedLanguageCode(code);
  const TLanguageChoice &choice = LanguageChoice();
  QStringList args = QCoreApplication::arguments().mid(1);
  if (choice.CommandLine.isEmpty()) {
    QString error;
    if (!WriteLanguageFile(choice.LangFile, code, &error)) {
      ErrorBox(FormatS(_("Error writing file \"%s\": %s"), {choice.LangFile, error}));
      FLanguageList->SetSelectedLanguageCode(previous);
      FillLanguageMenu();
      return;
    }
  } else {
    // The language came from the command line, which the restart passes on: it carries the new
    // choice instead, and the language file stays as it is.
    for (qsizetype i = args.size() - 1; i >= 0; --i) {
      const QString opt = args[i].mid(args[i].startsWith(QLatin1String("--")) ? 2 : 1);
      if (args[i].startsWith(u'-') && OptionMatches(opt.section(u':', 0, 0), QStringLiteral("lang")))
        args.removeAt(i);
    }
    args.prepend(QStringLiteral("-lang:") + (code.isEmpty() ? SystemLanguageCode() : code));
  }
  TMsgOptions o;
  o.Place = mpPoint;
  o.At = QCursor::pos();
  o.Default = mrYes;
  if (ShowMessage(mkConfirm, _("Changing language requires the program to be restarted!"), o) == mrYes)
    RestartProgram(args);
}
