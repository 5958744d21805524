#pragma once
// The main window's side pages and the panel above the documents: text macros, search and
// replace in files, local anchors and the link check, tied to the documents and the project.
#include "core/app/Anchors.h"
#include "core/app/FileSearch.h"
#include "core/app/LinkCheck.h"
#include "ui/app/SearchResultsTree.h"

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QToolButton;
class THauptForm;
class TAnchorPage;
class TFileReplaceDialog;
class TFileSearchPage;
class TFileSearchRunner;
class TMacroPage;
class TSidePanels;
class TUnicodeIniFile;

class TMainPanels : public QObject {
  Q_OBJECT
public:
  // Builds the frame around the main window's document area, the pages and their commands.
  explicit TMainPanels(THauptForm *form);
  ~TMainPanels() override;

  TSidePanels *Frame() const { return FFrame; }
  // The pages, made on first use.
  TMacroPage *Macros() const;
  TFileSearchPage *SearchPage() const;
  TAnchorPage *AnchorPage() const;
  TSearchResultsTree *Results() const { return tvSearchresults; }
  TFileSearchRunner *Runner() const { return FRunner; }
  QToolButton *MacroButton() const { return btnMacros; }

  // Start-up: the macro file (the search page reads its histories when it is made).
  void LoadSettings();
  // Close: the sizes and the search page's state into the settings, the histories into ini,
  // the macro file beside it.
  void WriteSettings(TUnicodeIniFile &ini);

  void ToggleMacros();
  void InsertMacro();
  void StartSearch();
  void CancelSearch();
  void UpdateSearchOptions();
  void SearchAnchors();
  void ExportAnchors();
  void CheckLinks();
  // Opens a file of a results tree and selects the range.
  void OpenTarget(const TSearchResultsTree::TTarget &t, const QString &root = QString());
  const QList<TAnchorFile> &AnchorFiles() const { return FAnchorFiles; }
  const TFileSearchSummary &LastSummary() const { return FSummary; }
  // Lists the broken links of a check made elsewhere (before publishing) in the results.
  void ShowBrokenLinks(const TLinkCheckSummary &summary);

private:
  void CreateActions();
  void LeftPageChanged(int index);
  void ShowResultsPanel();
  void SearchFinished(const TFileSearchSummary &summary);
  void LinksChecked(const TLinkCheckSummary &summary);
  void SaveModifiedDocuments();
  QString MacroFileName() const;
  QString ProjectRoot() const;
  QString ActiveExtension() const;
  QPoint ButtonCorner(QAction *a) const;
  void UpdateMacroArrow(bool shown);

  THauptForm *F;
  TSidePanels *FFrame;
  TMacroPage *FMacros;
  TFileSearchPage *FSearch;
  TAnchorPage *FAnchors;
  TSearchResultsTree *tvSearchresults;
  TFileSearchRunner *FRunner;
  TFileReplaceDialog *FReplaceDialog = nullptr;
  QToolButton *btnMacros;
  QMenu *FWindowMenu;
  int FSearchPageIndex = -1, FMacroTopIndex = -1, FResultsTopIndex = -1;
  int FLeftIndex = -1;
  bool FMacroPanelWasOpen = false;
  QPoint FDialogPos;
  QList<TAnchorFile> FAnchorFiles;
  TFileSearchSummary FSummary;
};
