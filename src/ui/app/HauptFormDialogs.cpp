// The dialogs the insert commands ask, as the main window provides them: long-lived dialogs keep
// their lists (custom colours, mail addresses, anchor names) for the whole run.
#include "core/dialogs/Colors.h"
#include "ui/app/HauptForm.h"
#include "ui/dialogs/DateDlg.h"
#include "ui/dialogs/FileSizeDlg.h"
#include "ui/dialogs/InpText.h"
#include "ui/dialogs/MailDlg.h"
#include "ui/dialogs/NumDlg.h"
#include "ui/dialogs/SelectColorDlg.h"
#include "ui/dialogs/StyleDlg.h"
#include "ui/dialogs/TextDlg.h"
#include "ui/editor/InsertCommands.h"

void THauptForm::InstallInsertDialogs() {
  CustomColorList = ParseColorList(Settings.CustomColors);
  AnchorHistory = new THistoryList(this, MaxAnchorNames);
  AnchorHistory->AssignList(Settings.AnchorList);
  ValueHistory = new THistoryList(this, 20);

  TInsertDialogs &d = InsertDialogs();
  d.Value = [this](QPoint pos, const QString &prompt, TAttrType type, QString &value) {
    if (!FHtmlNumDialog)
      FHtmlNumDialog = new THtmlNumDialog(this);
    return FHtmlNumDialog->Execute(prompt, type, value, pos);
  };
  d.Text = [this](QPoint pos, const QString &caption, const QString &label, QString &text) {
    return TTextEingabe::Execute(pos, caption, label, text, this);
  };
  d.TwoTexts = [this](QPoint pos, const QString &caption, const QString &label1, QString &text1,
                      const QString &label2, QString &text2) {
    return TTextEingabe::Execute(pos, caption, label1, text1, label2, text2, this);
  };
  d.HistoryText = [this](QPoint pos, const QString &caption, const QString &label, QString &text,
                         const QString &history) {
    THistoryList *list = history == QLatin1String("AnchorList") ? AnchorHistory : ValueHistory;
    return TInputTextDialog::Execute(pos, caption, label, text, list, false, {}, false, this);
  };
  d.TwoNumbers = [this](QPoint pos, const QString &caption, const QString &label1, int &value1,
                        const QString &label2, int &value2, int min, int max) {
    TNumField f;
    f.Min = min;
    f.Max = max;
    return TInputNumber::Execute(pos, caption, label1, value1, label2, value2, f, f, this);
  };
  d.Option = [this](QPoint pos, const QString &caption, const QString &choices, QString &value) {
    if (!FStyleDialog)
      FStyleDialog = new TStyleDialog(this);
    return FStyleDialog->Execute(pos, caption, value, choices);
  };
  d.Color = [this](QPoint pos, const QString &title, quint32 &color) {
    return SelectColorAt(pos, title, CustomColorList, color, this);
  };
  d.MailAddress = [this](QPoint pos, QString &address) {
    if (!FMailDialog)
      FMailDialog = new TMailAdrDialog(this);
    return FMailDialog->Execute(pos, Settings.MailNameList, address, Settings.MailBaseList);
  };
  d.Date = [this](QPoint pos, int &formatIndex, QString &dateText, const QLocale &locale) {
    if (!FDateDialog)
      FDateDialog = new TDateDialog(this);
    return FDateDialog->Execute(formatIndex, dateText, locale, pos);
  };
  d.FileSize = [this](QPoint pos, const QString &fileName, bool &decimalComma, QString &sizeText) {
    if (!FFileSizeDialog)
      FFileSizeDialog = new TFileSizeDialog(this);
    return FFileSizeDialog->Execute(fileName, Settings.FileSzDec, sizeText, decimalComma, pos);
  };
}

void THauptForm::StoreDialogLists() {
  Settings.CustomColors = FormatColorList(CustomColorList);
  Settings.AnchorList = AnchorHistory->Strings();
}
