#pragma once
// "File transfer": which files of the project a publishing run sends, and how.
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class THistoryCombo;

class TTransferDialog : public QDialog {
  Q_OBJECT
public:
  // Result of exec() besides Accepted/Rejected: the user asked what the run would change.
  static constexpr int ShowChanges = 2;

  explicit TTransferDialog(QWidget *parent = nullptr);

  // The filter history of the settings section "TransferFilter" (written back when the dialog dies).
  void LoadFromIni(const QString &iniName);
  // Fills the dialog; dest is the folder, or "host|remote directory" for a server.
  void Setup(const QString &dest, const QString &root, const QString &filter, const QString &subDirs,
             const QString &currentFile, int modeWord);
  // The answers after "Start" or "Show what would change".
  int ModeWord() const;
  QString Directory() const; // relative to the root, "" for the root
  QString SubDirs() const;   // the folder history as comma text
  QString Filter() const;    // "*.*" unless "All files in" is chosen
  // true on "Start" (or ShowChanges); tests answer through Responder instead of a user.
  int Execute();
  std::function<int(TTransferDialog *)> Responder;

  QRadioButton *Selection[5];
  QLabel *CurrentLabel, *DestLabel, *DirLabel;
  THistoryCombo *FolderBox, *FilterBox;
  QPushButton *BrowseButton, *StartButton, *ChangesButton;
  QCheckBox *SubDirsCheck, *SyncCheck, *OverwriteCheck, *CheckLinksCheck;
  std::function<QString(const QString &title, const QString &start)> DirectoryResponder;

private:
  void UpdateControls();
  bool CheckFolder();
  void Browse();
  void Finish(int code);
  QString FRoot;
};
