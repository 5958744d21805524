#pragma once
// The "Search in files" page of the left page control: what to find (and replace by), where to
// look, which file types, the start and cancel buttons, progress and status. The run itself is
// the main window's (it knows the documents and the project); the page holds the choices.
#include "core/app/FileSearch.h"
#include "ui/common/LazyPage.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class THistoryCombo;
class TUnicodeIniFile;

class TFileSearchPage : public TLazyPage {
  Q_OBJECT
public:
  explicit TFileSearchPage(QWidget *parent = nullptr);

  // Made by EnsureBuilt().
  THistoryCombo *hcSearch = nullptr, *hcReplace = nullptr, *hcSearchDir = nullptr, *hcSearchTypes = nullptr;
  QCheckBox *cbReplace = nullptr, *cbCase = nullptr, *cbWord = nullptr, *cbConfirm = nullptr,
            *cbSearchSubDir = nullptr;
  QRadioButton *rbSearchOpen = nullptr, *rbSearchProject = nullptr, *rbSearchFolder = nullptr;
  QToolButton *btnSearchDir = nullptr;
  QPushButton *btnStartSearch = nullptr, *btnCancelSearch = nullptr;
  QProgressBar *pbSearch = nullptr;
  QLabel *lblSearchStatus = nullptr;

  TSearchScope Scope() const;
  void SetScope(TSearchScope s);
  // Applies the state UpdateSearchOptions worked out.
  void ApplyScopeState(const TSearchScopeState &s);
  TFileSearchOptions Options() const;
  // While a run goes on the choices are locked and Cancel is offered.
  void SetRunning(bool running);

  // The histories (FileFind, FileReplace, FindDirs, FindTypes) and the state of "Replace by:".
  void LoadSettings(const TUnicodeIniFile &ini, bool replace);
  void SaveSettings(TUnicodeIniFile &ini);
  // The text of a box as it will be used, recorded in its history.
  static QString TakeText(THistoryCombo *box);

signals:
  void StartRequested();
  void CancelRequested();
  // A scope was chosen by the user: the file types follow it.
  void ScopeChosen(TSearchScope scope);
  void BrowseRequested();

protected:
  void Build() override;
  void keyPressEvent(QKeyEvent *e) override;

private:
  void ReplaceToggled(bool on);
  void ApplyReplaceState(bool on);
};
