#pragma once
// The URL dialog (links of a elements and of image map areas) and the link dialog (references to
// files: background images, scripts, style sheets, frames). Both turn chosen files into paths
// relative to the document and keep a history of the addresses used.
#include "core/dialogs/FileSize.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class THistoryCombo;
class THistoryList;
class TSelectFromListDialog;

// Asks for an existing file: title, start folder, filter ("description|masks|...") and the
// index of the filter entry to preselect. Empty when cancelled.
using TOpenFileAsker = std::function<QString(const QString &title, const QString &startDir,
                                             const QString &filter, int filterIndex)>;
QString AskOpenFile(QWidget *parent, const QString &title, const QString &startDir, const QString &filter,
                    int filterIndex);

class TURLEingabeDialog : public QDialog {
  Q_OBJECT
public:
  explicit TURLEingabeDialog(QWidget *parent = nullptr);

  // A hyperlink: address, link text and attribute text (title and target) in and out.
  bool HtmlRef(QPoint pos, const QString &caption, const QString &folder, QString &attributes, QString &text,
               QString &address);
  // An image map area: address, alternative text and title in and out; anchors: the page's own.
  bool AreaRef(QPoint pos, const QString &caption, const QString &folder, QString &title, QString &alt,
               QString &address, const QStringList &anchors);

  // The steps of HtmlRef and AreaRef around showing the dialog.
  void BeginHtmlRef(const QString &caption, const QString &folder, const QString &attributes,
                    const QString &text, const QString &address);
  void EndHtmlRef(QString &attributes, QString &text, QString &address);
  void BeginAreaRef(const QString &caption, const QString &folder, const QString &title, const QString &alt,
                    const QString &address, const QStringList &anchors);
  void EndAreaRef(QString &title, QString &alt, QString &address);

  // The file button after the user chose fileName.
  void FileChosen(const QString &fileName);
  void ChooseFile();
  void AddAnchor();
  void UpdateAnchorButton();

  THistoryList *History() const;
  QString Filter; // the open dialog's filter, "description|masks|..."
  QString LastLocalFile;
  int LinkCase = 0; // TLinkCase
  TSizeUnits SizeUnits = suBinary;
  QChar DecimalSep = u',';
  QPoint MousePos{-1, -1};
  TOpenFileAsker OpenFile;
  // Asks for an anchor name ("Goto anchor"); false when cancelled.
  std::function<bool(QString &name)> AskAnchorName;
  // Picks one anchor: 1 OK, 2 Cancel, 6 Prompt (as TSelectFromListDialog::Select).
  std::function<int(const QString &description, const QStringList &items, QString &chosen)> SelectAnchor;

  THistoryCombo *URLCombo;
  QToolButton *FileBtn, *btnAnchor, *btnCopy, *btnFilter;
  QLabel *lblText;
  QLineEdit *edText, *edHinweis;
  QComboBox *cbTarget;

private:
  void SetAddressFile(const QString &file);
  QString FPath;
  QStringList FAnchors;
  TSelectFromListDialog *FSelect = nullptr;
};

class TLinkDialog : public QDialog {
  Q_OBJECT
public:
  explicit TLinkDialog(QWidget *parent = nullptr);
  // With an empty hint only the open dialog appears.
  bool Execute(QPoint pos, const QString &title, const QString &hint, QString &text, QString &link,
               const QString &folder, const QString &filter);
  void Begin(const QString &title, const QString &hint, const QString &text, const QString &link,
             const QString &folder, const QString &filter);
  void End(QString &text, QString &link);

  THistoryList *History() const;
  TOpenFileAsker OpenFile;

  THistoryCombo *cbLink;
  QToolButton *FileBtn;
  QLabel *lblHinweis;
  QLineEdit *edHinweis;

private:
  QString FPath, FTitle, FFilter;
};
