#pragma once
// The main window: settings, start-up, the documents and their tabs, the status bar.
#include "core/common/AppPaths.h"
#include "core/common/HListBox.h"
#include "core/common/Settings.h"
#include "ui/editor/DocumentHost.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTabBar;
class QTimer;
class QsciLexer;
class THistoryMenu;
class TMDIForm;

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
  bool SaveTextFromMDI(TMDIForm *doc) override;
  void CloseMDI(TMDIForm *doc) override;
  QString SelectDirectory(const QString &title, const QString &start, const QString &root) override;

  TMDIForm *NewWindow(TFileTypes ft);
  TMDIForm *CreateNewText(TFileTypes ft);
  bool OpenTextFile(const QString &fileName);
  TMDIForm *LoadTextFile(const QString &fileName);
  TMDIForm *ActiveDocument() const;
  QList<TMDIForm *> Documents() const;
  void ActivateText(TMDIForm *doc);
  bool SelectRootDir();
  // Writes the settings file and the lists kept beside it; false (after a message) on failure.
  bool WriteSettings();
  // Starts the program again through the restart helper, then closes this one.
  void RestartProgram();

  TAppPaths Paths;
  TAppSettings Settings;
  TCommandLine CommandLine;
  QString ProgVersName, ProgVers, ProgVersDate;
  THistoryList *HistList;
  int NewNr = 0;
  QString ProjFilePath;
  QString EntityFile;

protected:
  void closeEvent(QCloseEvent *e) override;
  void showEvent(QShowEvent *e) override;
  void resizeEvent(QResizeEvent *e) override;
  void moveEvent(QMoveEvent *e) override;
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  void LoadDictionaries();
  void LoadDialogSettings();
  void SelectPreviewEngine();
  void LoadEntityList();
  void LoadMacros();
  void BuildKeyLayout();
  bool OpenStartDocuments();
  void SetupPrinter();
  void CreateMenus();
  void CreateStatusBar();
  void SubWindowActivated(QMdiSubWindow *w);
  void RememberNormalGeometry();
  void RenumberTabs();
  int TabIndexOf(TMDIForm *doc) const;
  void AboutExecute();
  void SaveExecute();
  void CloseExecute();
  void OpenExecute();

  QString FHtmPath;
  QMdiArea *FMdi;
  QTabBar *FTabs;
  QWidget *FToolPanel;
  QMenu *FFileMenu, *FHelpMenu, *FRecentMenu;
  QList<QAction *> FMergedMenus;
  THistoryMenu *FRecentMirror;
  std::array<QsciLexer *, FileTypeCount> FHighlighters{};
  std::array<QLabel *, 6> FPanels{};
  QLabel *FModifiedPanel;
  QPointer<TMDIForm> FActive;
  int FNextId = 0;
  bool FShown = false;
  bool FClosing = false;
};
