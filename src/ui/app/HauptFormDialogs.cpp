// The dialogs the insert commands ask, as the main window provides them: long-lived dialogs keep
// their lists (custom colours, mail addresses, anchor names) for the whole run.
#include "core/common/Translate.h"
#include "core/dialogs/Colors.h"
#include "ui/app/HauptForm.h"
#include "ui/common/HistoryCombo.h"
#include "ui/dialogs/DateDlg.h"
#include "ui/dialogs/FileSizeDlg.h"
#include "ui/dialogs/ImageDlg.h"
#include "ui/dialogs/ImageMapEditor.h"
#include "ui/dialogs/InpText.h"
#include "ui/dialogs/MailDlg.h"
#include "ui/dialogs/NumDlg.h"
#include "ui/dialogs/SelectColorDlg.h"
#include "ui/dialogs/SelectFromListDlg.h"
#include "ui/dialogs/StyleDlg.h"
#include "ui/dialogs/TextDlg.h"
#include "ui/dialogs/UrlDlg.h"
#include "ui/editor/InsertCommands.h"

#include <QCursor>

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

  // The link, image and map dialogs live as long as the window, their histories in the settings.
  const auto urlDialog = [this] {
    auto *dlg = findChild<TURLEingabeDialog *>();
    if (!dlg) {
      dlg = new TURLEingabeDialog(this);
      dlg->History()->AssignList(Settings.UrlList);
      dlg->Filter = Settings.UrlFileFilter;
    }
    dlg->LinkCase = LinkCaseMode;
    dlg->SizeUnits = Settings.FileSzDec ? suDecimal : suBinary;
    dlg->DecimalSep = Settings.IdeDecComma ? u',' : u'.';
    dlg->AskAnchorName = [this, dlg](QString &name) {
      return TInputTextDialog::Execute(QCursor::pos(), _("Goto anchor"), _("Name:"), name, AnchorHistory,
                                       false, {}, false, dlg);
    };
    return dlg;
  };
  d.Reference = [urlDialog](QPoint pos, const QString &caption, const QString &folder, QString &attributes,
                            QString &text, QString &url) {
    return urlDialog()->HtmlRef(pos, caption, folder, attributes, text, url);
  };
  d.LastUrlFile = [this] {
    auto *dlg = findChild<TURLEingabeDialog *>();
    return dlg ? dlg->LastLocalFile : QString();
  };
  d.Link = [this](QPoint pos, const QString &title, const QString &hint, QString &text, QString &link,
                  const QString &folder, const QString &filter) {
    auto *dlg = findChild<TLinkDialog *>();
    if (!dlg) {
      dlg = new TLinkDialog(this);
      dlg->History()->AssignList(Settings.LinkList);
    }
    return dlg->Execute(pos, title, hint, text, link, folder, filter);
  };
  d.SelectFromList = [this](QPoint pos, const QString &caption, const QString &description,
                            const QStringList &items, QString &chosen) {
    auto *dlg = findChild<TSelectFromListDialog *>(QStringLiteral("SelectFromList"));
    if (!dlg) {
      dlg = new TSelectFromListDialog(this);
      dlg->setObjectName(QStringLiteral("SelectFromList"));
    }
    return dlg->Select(pos, caption, chosen, items, true, {}, description);
  };
  d.Image = [this](QPoint pos, const QString &folder, QString &image, QString &attributes) {
    auto *dlg = findChild<TImageDialog *>();
    if (!dlg) {
      dlg = new TImageDialog(this);
      dlg->History()->AssignList(Settings.ImageList);
      dlg->DataFolder = Paths.AppPath;
      dlg->ProgramName = Paths.BaseName;
    }
    dlg->LinkCase = LinkCaseMode;
    return dlg->Execute(pos, folder, image, attributes);
  };
  d.MapEditor = [this, urlDialog](const QString &folder, const QString &image, TAreaList &areas,
                                  const QStringList &anchors, const QString &mapName) {
    auto *ed = findChild<TImageMapEditor *>();
    if (!ed) {
      ed = new TImageMapEditor(this);
      ed->LoadGeometry(Settings.ImageMap);
    }
    ed->EditAreaLink = [urlDialog](const QString &dir, TAreaDataObject &area, const QStringList &list) {
      return urlDialog()->AreaRef(QCursor::pos(), _("Link for selected region"), dir, area.Title, area.Alt,
                                  area.Link, list);
    };
    return ed->Execute(folder, image, areas, anchors, mapName);
  };
}

void THauptForm::StoreDialogLists() {
  Settings.CustomColors = FormatColorList(CustomColorList);
  Settings.AnchorList = AnchorHistory->Strings();
  if (auto *dlg = findChild<TURLEingabeDialog *>()) {
    Settings.UrlList = dlg->History()->Strings();
    Settings.UrlFileFilter = dlg->Filter;
  }
  if (auto *dlg = findChild<TLinkDialog *>())
    Settings.LinkList = dlg->History()->Strings();
  if (auto *dlg = findChild<TImageDialog *>())
    Settings.ImageList = dlg->History()->Strings();
  if (auto *ed = findChild<TImageMapEditor *>())
    ed->StoreGeometry(Settings.ImageMap);
}
