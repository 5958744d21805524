// The main window's part of the view settings: the highlighting of each file type, read from the
// .hlt files, the menu entry "&View ..", and applying a change to the open documents.
#include "ui/app/HauptForm.h"

#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/highlight/HighlightStyles.h"
#include "ui/highlight/HtmlOptDlg.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

namespace {
QFont EditorFont(const TSynEditProperties &props) {
  QFont f(props.FontName, std::max(4, props.FontSize));
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  return f;
}

// The menu "Preferences", made by whoever needs it first, and its "Editor" submenu.
QMenu *EditorPreferencesMenu(QMainWindow *w, QMenu *before) {
  QMenu *prefs = w->menuBar()->findChild<QMenu *>(QStringLiteral("itmPreferences"));
  if (!prefs) {
    prefs = new QMenu(_("&Preferences"), w->menuBar());
    prefs->setObjectName(QStringLiteral("itmPreferences"));
    if (before)
      w->menuBar()->insertMenu(before->menuAction(), prefs);
    else
      w->menuBar()->addMenu(prefs);
  }
  QMenu *editor = prefs->findChild<QMenu *>(QStringLiteral("itmEditorPrefs"));
  if (!editor) {
    editor = new QMenu(_("&Editor"), prefs);
    editor->setObjectName(QStringLiteral("itmEditorPrefs"));
    prefs->addMenu(editor);
  }
  return editor;
}
} // namespace

void THauptForm::InstallViewSettings() {
  auto *a = new QAction(_("&View .."), this);
  a->setObjectName(QStringLiteral("ActionViewSettings"));
  connect(a, &QAction::triggered, this, [this] { ViewSettingsExecute(); });
  addAction(a);
  FActions << a;
  EditorPreferencesMenu(this, FHelpMenu)->addAction(a);
}

const THighlightSet &THauptForm::HighlightSet(TFileTypes ft) {
  if (!FHighlightLoaded) {
    FHighlightLoaded = true;
    for (int t = 0; t < FileTypeCount; ++t)
      FHighlightSets[t] = LoadHighlightSet(TFileTypes(t), Paths.IniName, Paths.ProgramDir, Paths.BaseName);
  }
  static const THighlightSet none;
  return ft >= 0 && ft < FileTypeCount ? FHighlightSets[ft] : none;
}

QsciLexer *THauptForm::TypeHighlighter(TFileTypes ft) {
  if (ft < 0 || ft >= FileTypeCount)
    return nullptr;
  HighlightSet(ft);
  if (!FHighlighters[ft]) {
    FHighlighters[ft] = CreateHighlighter(ft, this);
    const TSynEditProperties &p = Settings.SynProps[ft];
    ApplyHighlighting(FHighlighters[ft], ft, FHighlightSets, EditorFont(p), ColorOf(p.BgColor));
  }
  return FHighlighters[ft];
}

void THauptForm::ViewSettingsExecute() {
  TMDIForm *doc = ActiveDocument();
  if (!doc)
    return;
  const TFileTypes ft = doc->FileType < FileTypeCount ? doc->FileType : ftText;
  THighlightSet set = HighlightSet(ft);
  TSynEditProperties props = Settings.SynProps[ft];
  TSynGutterProperties gutter = Settings.SynGutter[ft];
  THighlightSet *hl = set.IsEmpty() ? nullptr : &set;
  bool ok;
  if (ViewSettingsResponder) {
    ok = ViewSettingsResponder(ft, hl, props, gutter);
  } else {
    auto *dlg = findChild<THtmlOptionsDialog *>();
    if (!dlg)
      dlg = new THtmlOptionsDialog(this);
    dlg->SetColorList(CustomColorList);
    ok = dlg->Execute(ft, hl, props, gutter);
    CustomColorList = dlg->ColorList();
  }
  if (ok)
    ChangeViewSettings(ft, set, props, gutter);
}

bool THauptForm::ChangeViewSettings(TFileTypes ft, const THighlightSet &set, const TSynEditProperties &props,
                                    const TSynGutterProperties &gutter) {
  if (ft < 0 || ft >= FileTypeCount)
    return false;
  HighlightSet(ft);
  bool written = true;
  if (!set.IsEmpty()) {
    FHighlightSets[ft] = set;
    QString error;
    if (!SaveHighlightSet(set, Paths.IniName, &error)) {
      written = false;
      ErrorBox(_("The highlighting could not be saved:") + QStringLiteral("\r\n") +
               HighlightFileName(Paths.IniName, ft) + QStringLiteral("\r\n") + error);
    }
  }
  Settings.SynProps[ft] = props;
  Settings.SynProps[ft].FileType = ft;
  Settings.SynGutter[ft] = gutter;
  // Pages show the colours of the code inside them too: every lexer that uses this type's
  // colours takes them now.
  for (int t = 0; t < FileTypeCount; ++t) {
    const std::vector<TFileTypes> sources = SourceTypes(TFileTypes(t));
    if (FHighlighters[t] && std::find(sources.begin(), sources.end(), ft) != sources.end()) {
      const TSynEditProperties &p = Settings.SynProps[t];
      ApplyHighlighting(FHighlighters[t], TFileTypes(t), FHighlightSets, EditorFont(p), ColorOf(p.BgColor));
    }
  }
  for (TMDIForm *d : Documents())
    if (d->FileType == ft || (ft == ftText && d->FileType >= FileTypeCount))
      d->SetProperties(TypeHighlighter(ft), Settings.SynProps[ft], Settings.SynGutter[ft]);
  ShowStatus(ActiveDocument(), true);
  return written;
}
