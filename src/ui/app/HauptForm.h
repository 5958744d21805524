#pragma once
// The main window: settings, start-up, the documents and their tabs, the status bar.
#include "core/app/IdList.h"
#include "core/common/AppPaths.h"
#include "core/common/HListBox.h"
#include "core/common/Settings.h"
#include "core/dialogs/Colors.h"
#include "core/highlight/HighlightSet.h"
#include "core/keys/KeyStrokes.h"
#include "ui/editor/DocumentHost.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class TDateDialog;
class TFileSizeDialog;
class THtmlNumDialog;
class TMailAdrDialog;
class TStyleDialog;
class TFtpThread;
class TSynEditSpellCheck;
class QLabel;
class TFtpProxyDialog;
class TProjectDialog;
class TProjectInfo;
class TSelectProjectDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTabBar;
class QTimer;
class QsciLexer;
class THistoryMenu;
class TFindReplDialog;
class TMDIForm;
class TMainPanels;
class TMainShell;
class TLanguageList;

class THauptForm : public QMainWindow, public TDocumentHost {
  Q_OBJECT
public:
  // Reads the settings (FormCreate); args are the command-line arguments without the program.
  explicit THauptForm(const QStringList &args, QWidget *parent = nullptr);
  ~THauptForm() override;

  // Start-up sequence; false when start-up must stop (the window is then not shown).
  bool Init();

  // TDocumentHost
  QString HtmPath() const override { return FHtmPath; }
  QString ProgramDir() const override { return Paths.ProgramDir; }
  bool DynTB() const override { return Settings.DynTB; }
  void SetDynTB(bool on) override { Settings.DynTB = on; }
  void ShowStatus(TMDIForm *doc, bool full) override;
  bool SaveTextFromMDI(TMDIForm *doc) override { return SaveTextFromMDI(doc, true); }
  void CloseMDI(TMDIForm *doc) override;
  QString SelectDirectory(const QString &title, const QString &start, const QString &root) override;
  bool IsOpenDocument(const QString &fileName) const override;
  // "Remove &tags ..": the document as plain text in a new text document (TMainShell).
  void RemoveTags(TMDIForm *doc) override;

  TFindReplDialog *FindDialog() override;
  void FollowFindText(QObject *receiver, std::function<void(const QString &)> f) override;
  TSynEditSpellCheck *SpellChecker() override { return FSpellCheck.get(); }
  void PreviousMDI(TMDIForm *) override;
  void NextMDI(TMDIForm *) override;

  TMDIForm *NewWindow(TFileTypes ft);
  TMDIForm *CreateNewText(TFileTypes ft, bool askFolder = false);
  bool OpenTextFile(const QString &fileName);
  TMDIForm *LoadTextFile(const QString &fileName, TBufferCoord caret = {1, 1});
  TMDIForm *ActiveDocument() const;
  // Documents in the order of their tabs.
  QList<TMDIForm *> Documents() const;
  TMDIForm *DocById(int id) const;
  void ActivateText(TMDIForm *doc);
  // Saves when modified (or always with unchangedText), asking for a name when it has none.
  bool SaveTextFromMDI(TMDIForm *doc, bool unchangedText);
  // Closes every document: asks "Save changed files?" once (with Cancel when allowed). False when
  // cancelled or when a document could not be saved (that one stays open).
  bool CloseProjectTexts(bool withCancel);
  // Makes the listed project at index current and opens its documents (index < 0: no project).
  // Without documents to reopen an empty HTML page is made, unless emptyPage is false (files
  // named on the command line follow).
  void OpenProject(int index, bool emptyPage = true);
  void SetAutoSave(int minutes);
  QAction *Action(const QString &name) const;
  // The side pages and the panel above the documents: macros, search in files, anchors.
  TMainPanels *Panels() const { return FMainPanels; }
  // Every document writes its autosave copy (the autosave timer's tick).
  Q_INVOKABLE void AutoSaveTick();
  // Autosave copies left by a run that ended without closing its documents: offered for a document
  // when it is opened, and at start-up for the project's folder and the open documents' folders.
  void OfferRecovery(TMDIForm *doc);
  void OfferAutosaveCopies();
  TIdList IdList;

  // Projects: the listed records (the project box owns them) and the current one.
  std::vector<std::unique_ptr<TProjectInfo>> Projects;
  TProjectInfo *ActProject = nullptr;
  int ProjectIndex = -1;
  int LinkCaseMode = 0;
  bool LoadingProj = false;
  bool LoadingProject() const override { return LoadingProj; }
  QList<TProjectInfo *> ProjectList() const;
  int CreateDefaultProject();
  bool NewProject(QPoint pos);
  bool OpenProjectFile();
  void EditProjectExecute();
  void SaveProjectAsExecute();
  void CloseProjectExecute();
  void ProjectOrderExecute();
  // Moves the active project one place up (-1) or down (+1) in the list; it stays active.
  void MoveProject(int delta);
  // Switches to the listed project at index (asks about unsaved documents); false on Cancel.
  bool SwitchProject(int index);

  // Tests answer the project dialogs without a user.
  std::function<bool(TProjectInfo &project, const QString &title)> ProjectDialogResponder;
  std::function<int(const QStringList &names, int &index)> SelectProjectResponder;
  std::function<QString(const QString &title, const QString &folder)> OpenNameResponder;
  std::function<QString(const QString &title, const QString &start)> DirectoryResponder;
  // Tests choose file names without a dialog.
  std::function<QString(const QString &title, const QString &folder, const QString &file)> SaveNameResponder;
  bool SelectRootDir();
  // "Select file &path": shows a document's folder (for the tab menu and the document window).
  void SelectFilePath(const QString &folder) override;
  // Tests see the folder that would be shown, and work the tab menu instead of a user.
  std::function<void(const QString &folder)> FolderViewResponder;
  std::function<void(QMenu *menu)> TabMenuResponder;
  // Writes the settings file and the lists kept beside it; false (after a message) on failure.
  bool WriteSettings();
  // Starts the program again through the restart helper, then closes this one.
  void RestartProgram();
  // The same with other arguments (without the program's name).
  void RestartProgram(const QStringList &args);
  // Interface languages (HauptFormLanguage.cpp): the "Desktop &language" menu and the choice of
  // another language, which asks to restart. Tests answer the question through the message
  // responder and see the arguments of the restart instead of a new process.
  void LangItemClick(const QString &code);
  TLanguageList *LanguageList() const { return FLanguageList.get(); }
  QMenu *LanguageMenu() const { return FLangMenu; }
  std::function<bool(const QStringList &args)> RestartResponder;
  // View settings and highlighting per file type (HauptFormHighlight.cpp). The colours are read
  // once from the .hlt files; "&View .." edits the active document's type, writes its .hlt file
  // and shows the change in every open document it concerns.
  const THighlightSet &HighlightSet(TFileTypes ft);
  QsciLexer *TypeHighlighter(TFileTypes ft); // made and coloured on first use
  void ViewSettingsExecute();
  // Takes new settings of a type (after the dialog's OK): writes the .hlt file (false after a
  // message when that fails) and applies them to the open documents.
  bool ChangeViewSettings(TFileTypes ft, const THighlightSet &set, const TSynEditProperties &props,
                          const TSynGutterProperties &gutter);
  // Tests answer the settings dialog: the type, its highlighting (none for text) and both records.
  std::function<bool(TFileTypes, THighlightSet *, TSynEditProperties &, TSynGutterProperties &)>
      ViewSettingsResponder;

  // The keyboard layout (HauptFormKeys.cpp): loaded at start-up, written at exit, edited in the
  // layout dialog ("&Edit layout ...") and reset ("&Default layout ...").
  TSynEditKeyStrokes ActKeyStrokes;
  const TSynEditKeyStrokes *KeyStrokes() const override { return FKeysReady ? &ActKeyStrokes : nullptr; }
  bool KeyStrokesComing() const override { return FStarting && !FKeysReady; }
  void EditKeyLayoutExecute();
  void DefaultKeyLayoutExecute();
  // The main window's actions and every document take the layout.
  void ApplyKeyStrokes();
  bool WriteKeyLayout();
  // Tests edit the layout instead of the dialog (true: OK).
  std::function<bool(TSynEditKeyStrokes &ks)> KeyboardDialogResponder;

  TAppPaths Paths;
  TAppSettings Settings;
  TCommandLine CommandLine;
  QString ProgVersName, ProgVers, ProgVersDate;
  THistoryList *HistList;
  int NewNr = 0;
  QString ProjFilePath;
  // Lists the insert dialogs keep for the whole run (stored in the settings at close).
  TColorList CustomColorList{};
  THistoryList *AnchorHistory = nullptr;
  THistoryList *ValueHistory = nullptr;
  // The one FTP session of the program, owned by its own thread.
  TFtpThread *FtpSession();

protected:
  void closeEvent(QCloseEvent *e) override;
  void showEvent(QShowEvent *e) override;
  void resizeEvent(QResizeEvent *e) override;
  void moveEvent(QMoveEvent *e) override;
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  void CreateLanguageMenu();
  void FillLanguageMenu();
  std::unique_ptr<TLanguageList> FLanguageList;
  QMenu *FLangMenu = nullptr;
  void LoadDictionaries();
  // "Dictionaries ..": which dictionaries load at the next start (HauptFormSpelling.cpp).
  void DictionariesExecute();
  void FillDictLangMenu();
  std::unique_ptr<TSynEditSpellCheck> FSpellCheck;
  QMenu *FDictLangMenu = nullptr;
  void LoadDialogSettings();
  void SelectPreviewEngine();
  void LoadEntityList();
  void LoadMacros();
  void BuildKeyLayout();
  void CreateKeyMenu();
  bool FKeysReady = false;
  // Init is running; the file the project page is to show once the window is up.
  bool FStarting = false;
  QString FStartFile;
  bool OpenStartDocuments();
  void ReadProjects();
  void InstallInsertDialogs();
  void StoreDialogLists();
  void FillProjectBox();
  bool EditProjectDialog(TProjectInfo &project, const QString &title);
  QString AskProjectFileName(const QString &proposed, const TProjectInfo *project);
  QString AskOpenName(const QString &title, const QString &folder, const QString &filter);
  void SetupPrinter();
  void CreateMenus();
  void CreateStatusBar();
  void SubWindowActivated(QMdiSubWindow *w);
  void TabContextMenu(QPoint pos);
  void RememberNormalGeometry();
  void RenumberTabs();
  void AboutExecute();
  void SaveExecute();
  void SaveAsExecute();
  void SaveAllExecute();
  void CloseExecute();
  void CloseAllExecute();
  void OpenExecute();
  void SelectDocumentExecute();
  void AutoSaveExecute();
  void ClearRecentExecute();
  bool CloseDocument(TMDIForm *doc, bool force);
  QString AskSaveName(const QString &title, const QString &folder, const QString &file, const QStringList &filters,
                      const QString &defExt);

  QString FHtmPath;
  QMdiArea *FMdi;
  QTabBar *FTabs;
  QWidget *FToolPanel;
  QMenu *FFileMenu, *FHelpMenu, *FRecentMenu, *FProjectMenu = nullptr;
  QList<QAction *> FMergedMenus;
  QList<QAction *> FActions;
  QAction *FAutoSaveAction = nullptr;
  QTimer *FAutoSaveTimer;
  TFindReplDialog *FFindDialog = nullptr;
  // Documents waiting for the find dialog to be made (it is made when first used).
  QList<QPair<QPointer<QObject>, std::function<void(const QString &)>>> FFindTextFollowers;
  std::unique_ptr<TFtpThread> FFtpSession;
  THtmlNumDialog *FHtmlNumDialog = nullptr;
  TStyleDialog *FStyleDialog = nullptr;
  TMailAdrDialog *FMailDialog = nullptr;
  TDateDialog *FDateDialog = nullptr;
  TFileSizeDialog *FFileSizeDialog = nullptr;
  QComboBox *FProjectBox = nullptr;
  TProjectDialog *FProjectDialog = nullptr;
  TFtpProxyDialog *FProxyDialog = nullptr;
  TSelectProjectDialog *FSelectDialog = nullptr;
  THistoryMenu *FRecentMirror;
  std::array<QsciLexer *, FileTypeCount> FHighlighters{};
  std::array<THighlightSet, FileTypeCount> FHighlightSets{};
  bool FHighlightLoaded = false;
  void InstallViewSettings();
  std::array<QLabel *, 6> FPanels{};
  QLabel *FModifiedPanel;
  QPointer<TMDIForm> FActive;
  bool FShown = false;
  bool FClosing = false;
  bool FRecovering = false; // a recovered copy is being opened: no second offer for it
  friend class TMainPanels;
  friend class TMainShell;
  // The tab bar, status panels, project page, printing and removing tags (HauptFormShell.cpp).
  TMainShell *FShell = nullptr;

public:
  TMainShell *Shell() const { return FShell; }
  // Shows a file in the project page's list.
  void SyncFileView(const QString &fileName);

private:
  friend class TPreviewCommands;
  TMainPanels *FMainPanels = nullptr;
  int FAutoSaveSeconds = 0;  // > 0: the autosave tick in seconds instead of AutoSave minutes
};
