#pragma once
// The insert-command catalogue of the document window: actions, the "&Insert" menu, the tool
// pages and the main edit toolbar, made from one table (core/editor/CommandCatalogue.h).
//
// The commands ask their values through the hooks of TInsertDialogs, so that the main window
// decides which dialogs (and which remembered lists and settings) they use, and tests can answer
// without a user. Each hook returns false (or an empty text) when the user cancelled; the command
// then changes nothing. The defaults are plain input boxes.
#include "core/dialogs/ImageMap.h"
#include "core/editor/InsertEngine.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QLocale;
class TMDIForm;

struct TInsertDialogs {
  // An attribute value: value comes in as the default; an empty result means "no value".
  std::function<bool(QPoint pos, const QString &prompt, TAttrType type, QString &value)> Value;
  std::function<bool(QPoint pos, const QString &caption, const QString &label, QString &text)> Text;
  std::function<bool(QPoint pos, const QString &caption, const QString &label1, QString &text1,
                     const QString &label2, QString &text2)>
      TwoTexts;
  // A text with a history list: history names the list ("AnchorList" for anchor names,
  // "ValueList" for default values of form fields).
  std::function<bool(QPoint pos, const QString &caption, const QString &label, QString &text,
                     const QString &history)>
      HistoryText;
  std::function<bool(QPoint pos, const QString &caption, const QString &label1, int &value1,
                     const QString &label2, int &value2, int min, int max)>
      TwoNumbers;
  // One of the comma-separated choices (items with blanks or "<" in double quotes).
  std::function<bool(QPoint pos, const QString &caption, const QString &choices, QString &value)> Option;
  // color: 0x00BBGGRR in and out; NoColor means "no color".
  std::function<bool(QPoint pos, const QString &title, quint32 &color)> Color;
  std::function<bool(QPoint pos, QString &address)> MailAddress;
  // formatIndex: the document's date format, updated by the dialog; dateText: the date written.
  std::function<bool(QPoint pos, int &formatIndex, QString &dateText, const QLocale &locale)> Date;
  // decimalComma: the document's choice, updated by the dialog; sizeText: the size written.
  std::function<bool(QPoint pos, const QString &fileName, bool &decimalComma, QString &sizeText)> FileSize;
  // An existing file; filter as "description|masks|description|masks" (masks separated by ";").
  // Empty when cancelled.
  std::function<QString(const QString &title, const QString &startFile, const QString &filter)> OpenFile;
  // The local file last chosen in the link dialog (may be relative to the document's folder).
  std::function<QString()> LastUrlFile;
  // The link dialog: link (and, with a hint, a text) for a file relative to folder.
  std::function<bool(QPoint pos, const QString &title, const QString &hint, QString &text, QString &link,
                     const QString &folder, const QString &filter)>
      Link;
  // The reference dialog: address, attribute text (" target=..." or empty) and link text.
  std::function<bool(QPoint pos, const QString &caption, const QString &folder, QString &attributes,
                     QString &text, QString &url)>
      Reference;
  // Choice from a list: 1 chosen, 2 cancelled, 6 the user wants to type a new name.
  std::function<int(QPoint pos, const QString &caption, const QString &description, const QStringList &items,
                    QString &chosen)>
      SelectFromList;
  // The image reference and the attribute text (" width=..." or empty).
  std::function<bool(QPoint pos, const QString &folder, QString &image, QString &attributes)> Image;
  std::function<bool(QPoint pos, QString &mapName)> ImageMap;
  // The image map editor on the image of the img tag at the caret: image as written in its src
  // value (relative to folder), the map's areas edited in place. True on OK.
  std::function<bool(const QString &folder, const QString &image, TAreaList &areas,
                     const QStringList &anchors, const QString &mapName)>
      MapEditor;
  // A character entity ("&auml;").
  std::function<bool(QPoint pos, QString &entity)> Entity;
};

// The hooks every document window uses; set them once at start-up.
TInsertDialogs &InsertDialogs();
// Puts back the plain input boxes.
void ResetInsertDialogs();

void CreateInsertCommands(TMDIForm *form);
// Names of the handlers the table refers to (for checking the table).
QStringList InsertHandlerNames();
