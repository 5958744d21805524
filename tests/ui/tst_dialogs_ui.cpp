// The value dialogs and the colour dialog driven as a user would: what OK returns, that Cancel
// changes nothing, and that the colour and mail lists survive a restart through the settings file.
#include "core/common/HListBox.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Settings.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DateDlg.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/FileFilterDlg.h"
#include "ui/dialogs/FileSizeDlg.h"
#include "ui/dialogs/MailDlg.h"
#include "ui/dialogs/NumDlg.h"
#include "ui/dialogs/SelectColorDlg.h"
#include "ui/dialogs/StyleDlg.h"
#include "ui/dialogs/TextDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Runs f on the modal dialog of type T once it is shown. A dialog that f leaves open (after a
// failed check) is cancelled, so that a failure never hangs the test.
template <class T, class F> void OnModal(F f) {
  QTimer::singleShot(0, [f] {
    auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
    QVERIFY2(dlg, "expected dialog is not shown");
    f(dlg);
    if (dlg->isVisible())
      dlg->reject();
  });
}
template <class W> W *Child(QWidget *dlg, const char *name) {
  W *w = dlg->findChild<W *>(QLatin1String(name));
  if (!w)
    qWarning("missing child %s", name);
  return w;
}
void Click(QWidget *dlg, const char *button) {
  Child<QPushButton>(dlg, button)->click();
}
} // namespace

class TstDialogsUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;

private slots:
  void colorDialogChoices_data() {
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("basicPanel"); // -1: none clicked
    QTest::addColumn<bool>("noColor");   // state of "no color" before OK
    QTest::addColumn<quint32>("expected");
    QTest::newRow("basic colour 8 is red") << quint32(0x123456) << 8 << false << quint32(0x0000FF);
    QTest::newRow("no color wins over a clicked panel") << quint32(0x123456) << 3 << true << NoColor;
    QTest::newRow("start without colour") << NoColor << -1 << true << NoColor;
    QTest::newRow("unchanged start colour") << quint32(0x123456) << -1 << false << quint32(0x123456);
  }
  void colorDialogChoices() {
    QFETCH(quint32, start);
    QFETCH(int, basicPanel);
    QFETCH(bool, noColor);
    QFETCH(quint32, expected);
    TColorList list = DefaultCustomColors();
    const TColorList before = list;
    quint32 color = start;
    OnModal<TSelectColorDialog>([&](TSelectColorDialog *dlg) {
      QCOMPARE(dlg->windowTitle(), QString("Background"));
      QCOMPARE(Child<QCheckBox>(dlg, "cbNoColor")->isChecked(), start == NoColor);
      QCOMPARE(dlg->SpecColPanels[0]->Color(), quint32(0xB8FFFF));
      if (basicPanel >= 0) {
        QTest::mouseClick(dlg->StdColPanels[basicPanel], Qt::LeftButton);
        QVERIFY(!Child<QCheckBox>(dlg, "cbNoColor")->isChecked());
        QCOMPARE(Child<TColorPanel>(dlg, "pnlColor")->Color(), BasicColors[basicPanel]);
      }
      Child<QCheckBox>(dlg, "cbNoColor")->setChecked(noColor);
      Click(dlg, "btnOk");
    });
    QVERIFY(SelectColorAt({-1, -1}, "Background", list, color));
    QCOMPARE(color, expected);
    QCOMPARE(list, before);
  }

  // The user redefines an additional colour in the full colour dialog; after OK the list goes
  // through the settings file and comes back the same. Cancel keeps list and colour.
  void customColorsSurviveRestart() {
    const QString iniName = FDir.filePath("colors.ini");
    TAppSettings settings;
    settings.Read(*TUnicodeIniFile::CreateForRead(iniName), true); // no file: defaults
    TColorList list = ParseColorList(settings.CustomColors);
    QCOMPARE(list, DefaultCustomColors());

    quint32 color = 0x00FF00;
    const QColor newCustom(0x12, 0x34, 0x56), picked(0xAB, 0xCD, 0xEF);
    OnModal<TSelectColorDialog>([&](TSelectColorDialog *dlg) {
      QTimer::singleShot(0, [&] {
        auto *cd = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(cd);
        QCOMPARE(QColorDialog::customColor(0), QColor(0xFF, 0xFF, 0xB8)); // slots come from the list
        QColorDialog::setCustomColor(2, newCustom);
        cd->setCurrentColor(picked);
        cd->accept();
      });
      Click(dlg, "btnSelectColor");
      QCOMPARE(dlg->SpecColPanels[2]->Color(), ValueOfColor(newCustom));
      QCOMPARE(Child<TColorPanel>(dlg, "pnlColor")->Color(), ValueOfColor(picked));
      Click(dlg, "btnOk");
    });
    QVERIFY(SelectColorAt({10, 10}, QString(), list, color));
    QCOMPARE(color, ValueOfColor(picked));
    QCOMPARE(ColorToHex(color), QString("ABCDEF"));
    QCOMPARE(list[2], ValueOfColor(newCustom));

    settings.CustomColors = FormatColorList(list);
    {
      auto ini = TUnicodeIniFile::CreateForWrite(iniName);
      settings.Write(*ini, true);
      QVERIFY(ini->UpdateFile());
    }
    TAppSettings again;
    again.Read(*TUnicodeIniFile::CreateForRead(iniName), true);
    QCOMPARE(ParseColorList(again.CustomColors), list);

    // Cancel after redefining a colour and clicking a panel changes nothing.
    TColorList kept = list;
    quint32 keptColor = color;
    OnModal<TSelectColorDialog>([&](TSelectColorDialog *dlg) {
      QTimer::singleShot(0, [&] {
        QColorDialog::setCustomColor(5, Qt::red);
        qobject_cast<QColorDialog *>(QApplication::activeModalWidget())->accept();
      });
      Click(dlg, "btnSelectColor");
      QTest::mouseClick(dlg->StdColPanels[1], Qt::LeftButton);
      Click(dlg, "btnCancel");
    });
    QVERIFY(!SelectColorAt({-1, -1}, QString(), kept, keptColor));
    QCOMPARE(kept, list);
    QCOMPARE(keptColor, color);
  }

  void mailListsSurviveRestart() {
    const QString iniName = FDir.filePath("mail.ini");
    QStringList names{"bob"}, bases{"@old.org"};
    QString address = "anna@example.org";
    TMailAdrDialog dlg;
    OnModal<TMailAdrDialog>([&](TMailAdrDialog *d) {
      QCOMPARE(Child<THistoryCombo>(d, "hcName")->currentText(), QString("anna"));
      QCOMPARE(Child<THistoryCombo>(d, "hcBase")->currentText(), QString("@example.org"));
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute({-1, -1}, names, address, bases));
    QCOMPARE(address, QString("anna@example.org"));
    QCOMPARE(names, (QStringList{"anna", "bob"}));
    QCOMPARE(bases, (QStringList{"@example.org", "@old.org"}));

    // A base address typed without "@" gets one; a known name moves to the front.
    address.clear();
    OnModal<TMailAdrDialog>([&](TMailAdrDialog *d) {
      Child<THistoryCombo>(d, "hcName")->setEditText("bob");
      Child<THistoryCombo>(d, "hcBase")->setEditText("example.net");
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute({-1, -1}, names, address, bases));
    QCOMPARE(address, QString("bob@example.net"));
    QCOMPARE(names, (QStringList{"bob", "anna"}));
    QCOMPARE(bases, (QStringList{"@example.net", "@example.org", "@old.org"}));

    // Cancel changes neither the address nor the lists.
    const QStringList n0 = names, b0 = bases;
    OnModal<TMailAdrDialog>([&](TMailAdrDialog *d) {
      Child<THistoryCombo>(d, "hcName")->setEditText("eve");
      Click(d, "btnCancel");
    });
    QVERIFY(!dlg.Execute({-1, -1}, names, address, bases));
    QCOMPARE(address, QString("bob@example.net"));
    QCOMPARE(names, n0);
    QCOMPARE(bases, b0);

    // At most 20 names: the oldest drops out.
    for (int i = 0; i < 25; ++i) {
      QString a = QStringLiteral("user%1@example.org").arg(i);
      OnModal<TMailAdrDialog>([](TMailAdrDialog *d) { Click(d, "btnOk"); });
      QVERIFY(dlg.Execute({-1, -1}, names, a, bases));
    }
    QCOMPARE(names.size(), TMailAdrDialog::MaxEntries);
    QCOMPARE(names.first(), QString("user24"));
    QCOMPARE(names.last(), QString("user5"));

    TAppSettings settings;
    settings.MailNameList = names;
    settings.MailBaseList = bases;
    {
      auto ini = TUnicodeIniFile::CreateForWrite(iniName);
      settings.Write(*ini, true);
      QVERIFY(ini->UpdateFile());
    }
    TAppSettings again;
    again.Read(*TUnicodeIniFile::CreateForRead(iniName), true);
    QCOMPARE(again.MailNameList, names);
    QCOMPARE(again.MailBaseList, bases);
  }

  void fileSizeDialog() {
    const QString file = FDir.filePath("size.bin");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(1536, 'x'));
    }
    QStringList messages;
    SetMessageResponder([&](TMsgKind, const QString &text) {
      messages << text;
      return mrOk;
    });
    TFileSizeDialog dlg;
    bool decimalUnits = false, decimalComma = true;
    QString sizeText = "unchanged";
    OnModal<TFileSizeDialog>([&](TFileSizeDialog *d) {
      auto *size = Child<QLineEdit>(d, "edFileSize");
      QCOMPARE(size->text(), QString("1,50 KiB"));
      Child<QRadioButton>(d, "rbDecimal")->click();
      QCOMPARE(size->text(), QString("1,54 kB"));
      // A typed size is kept when the separator changes.
      size->setText("2 MB");
      Child<QRadioButton>(d, "rbPoint")->click();
      QCOMPARE(size->text(), QString("2.00 MB"));
      size->setText("abc");
      Click(d, "btnOk");
      QVERIFY(d->isVisible());
      QCOMPARE(messages, QStringList{"Invalid file size format!"});
      size->setText("1.5 KiB");
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute(file, decimalUnits, sizeText, decimalComma));
    QCOMPARE(sizeText, QString("1.54 kB")); // 1536 bytes in the chosen decimal units
    QVERIFY(decimalUnits);
    QVERIFY(!decimalComma);

    OnModal<TFileSizeDialog>([&](TFileSizeDialog *d) {
      QCOMPARE(Child<QLineEdit>(d, "edFileSize")->text(), QString("0 B"));
      Child<QRadioButton>(d, "rbComma")->click();
      Click(d, "btnCancel");
    });
    QVERIFY(!dlg.Execute(FDir.filePath("missing.bin"), decimalUnits, sizeText, decimalComma));
    QCOMPARE(sizeText, QString("1.54 kB"));
    QVERIFY(!decimalComma);
    SetMessageResponder(nullptr);
  }

  void attributeValue_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("size");
    QTest::addColumn<QString>("shown");  // number field as shown
    QTest::addColumn<int>("unit");       // unit entry to choose, -1: keep
    QTest::addColumn<double>("number");  // number to enter, < -1000: keep
    QTest::addColumn<QString>("button"); // btnOk, btnCancel or btnNoValue
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("result");
    QTest::newRow("em kept, German") << "de_DE"
                                     << "1.5em" << true << "1,5" << -1 << -9999.0 << "btnOk"
                                     << "1.5em" << true;
    QTest::newRow("em kept, English") << "en_US"
                                      << "1.5em" << true << "1.5" << -1 << -9999.0 << "btnOk"
                                      << "1.5em" << true;
    QTest::newRow("percent") << "de_DE"
                             << "100%" << true << "100" << -1 << -9999.0 << "btnOk"
                             << "100%" << true;
    QTest::newRow("percent to inch") << "de_DE"
                                     << "100%" << true << "100" << 7 << 2.0 << "btnOk"
                                     << "2.00in" << true;
    QTest::newRow("number") << "de_DE"
                            << "20" << false << "20" << -1 << -9999.0 << "btnOk"
                            << "20" << true;
    QTest::newRow("unreadable shows 1") << "de_DE"
                                        << "auto" << true << "1" << 2 << -9999.0 << "btnOk"
                                        << "1px" << true;
    QTest::newRow("no value") << "de_DE"
                              << "3px" << true << "3" << -1 << -9999.0 << "btnNoValue"
                              << "" << true;
    QTest::newRow("cancel") << "de_DE"
                            << "3px" << true << "3" << 5 << 7.0 << "btnCancel"
                            << "3px" << false;
  }
  void attributeValue() {
    QFETCH(QString, locale);
    QFETCH(QString, value);
    QFETCH(bool, size);
    QFETCH(QString, shown);
    QFETCH(int, unit);
    QFETCH(double, number);
    QFETCH(QString, button);
    QFETCH(QString, expected);
    QFETCH(bool, result);
    QLocale::setDefault(QLocale(locale));
    THtmlNumDialog dlg;
    OnModal<THtmlNumDialog>([&](THtmlNumDialog *d) {
      QCOMPARE(Child<QLabel>(d, "CapLabel")->text(), QString("Width:"));
      auto *units = Child<QComboBox>(d, "cbUnits");
      QCOMPARE(units->isVisible(), size);
      auto *edit = Child<QDoubleSpinBox>(d, "NumberEdit");
      QCOMPARE(edit->cleanText(), shown);
      if (unit >= 0)
        units->setCurrentIndex(unit);
      if (number > -1000)
        edit->setValue(number);
      Click(d, button.toLatin1().constData());
    });
    QCOMPARE(dlg.Execute("Width:", size ? atSize : atNumber, value), result);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(value, expected);
    QCOMPARE(dlg.Empty(), button == "btnNoValue");
  }

  // A fraction typed into the number field counts, rounded to the unit's decimals.
  void typedFraction_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("size");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("number rounds up") << "en_US"
                                      << "20" << false << "2.6"
                                      << "3";
    QTest::newRow("number rounds down") << "en_US"
                                        << "20" << false << "2.4"
                                        << "2";
    QTest::newRow("percent") << "en_US"
                             << "100%" << true << "2.6"
                             << "3%";
    QTest::newRow("pixel, German comma") << "de_DE"
                                         << "5px" << true << "7,5"
                                         << "8px";
    QTest::newRow("pixel, point in German") << "de_DE"
                                            << "5px" << true << "7.5"
                                            << "8px";
    QTest::newRow("em keeps one decimal") << "en_US"
                                          << "1.5em" << true << "1.26"
                                          << "1.3em";
    QTest::newRow("inch, two decimals") << "de_DE"
                                        << "1in" << true << "2,5"
                                        << "2.50in";
  }
  void typedFraction() {
    QFETCH(QString, locale);
    QFETCH(QString, value);
    QFETCH(bool, size);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    THtmlNumDialog dlg;
    OnModal<THtmlNumDialog>([&](THtmlNumDialog *d) {
      auto *edit = Child<QDoubleSpinBox>(d, "NumberEdit");
      edit->selectAll();
      QTest::keyClicks(edit, typed);
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute("Width:", size ? atSize : atNumber, value));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(value, expected);
  }

  // InsertValue tells "no value" (an empty value, caret between the quotes) from Cancel (nothing).
  void valueAskerOfInsertions() {
    THtmlNumDialog dlg;
    const TValueAsker ask = HtmlValueAsker(&dlg);
    OnModal<THtmlNumDialog>([](THtmlNumDialog *d) { Click(d, "btnNoValue"); });
    QCOMPARE(ask("Width:", atSize, "10px"), std::optional<QString>(QString()));
    OnModal<THtmlNumDialog>([](THtmlNumDialog *d) { Click(d, "btnCancel"); });
    QCOMPARE(ask("Width:", atSize, "10px"), std::nullopt);
    OnModal<THtmlNumDialog>([](THtmlNumDialog *d) { Click(d, "btnOk"); });
    QCOMPARE(ask("Border:", atNumber, "2"), std::optional<QString>("2"));
  }

  void dateDialog() {
    const QLocale de("de_DE");
    TDateDialog dlg;
    dlg.SetToday(QDate(2026, 3, 5));
    int index = 5;
    QString text = "24.12.26";
    OnModal<TDateDialog>([&](TDateDialog *d) {
      auto *list = Child<QListWidget>(d, "lbFormats");
      QCOMPARE(list->count(), 7);
      QCOMPARE(list->currentRow(), 5);
      QCOMPARE(list->item(5)->text(), QString("5. März 2026 (d. mmmm yyyy)"));
      QCOMPARE(list->item(6)->text(), QString("03/05/2026 (mm/dd/yyyy)"));
      auto *picker = Child<QDateEdit>(d, "dtpDate");
      QCOMPARE(picker->date(), QDate(2026, 12, 24));
      QCOMPARE(picker->displayFormat(), QString("d. MMMM yyyy"));
      list->setCurrentRow(6);
      QCOMPARE(picker->displayFormat(), QString("MM/dd/yyyy"));
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute(index, text, de));
    QCOMPARE(text, QString("12/24/2026"));
    QCOMPARE(index, 6);

    // An index out of range keeps the last choice; an unreadable text starts at today.
    int none = -1;
    text = "sometime";
    OnModal<TDateDialog>([&](TDateDialog *d) {
      QCOMPARE(Child<QListWidget>(d, "lbFormats")->currentRow(), 6);
      Child<QListWidget>(d, "lbFormats")->setCurrentRow(4);
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute(none, text, de));
    QCOMPARE(text, QString("5. März 2026"));
    QCOMPARE(none, 4);

    OnModal<TDateDialog>([&](TDateDialog *d) {
      Child<QListWidget>(d, "lbFormats")->setCurrentRow(0);
      Click(d, "btnCancel");
    });
    QVERIFY(!dlg.Execute(index, text, QLocale("hu_HU")));
    QCOMPARE(text, QString("5. März 2026"));
    QCOMPARE(index, 6);
  }

  void twoNumbers() {
    int cols = 3, rows = 2;
    OnModal<TInputNumber>([&](TInputNumber *d) {
      auto *first = Child<QSpinBox>(d, "edNumber1");
      auto *second = Child<QSpinBox>(d, "edNumber2");
      QVERIFY(second->isVisible());
      QCOMPARE(first->singleStep(), 1);
      first->setValue(99);
      QCOMPARE(first->singleStep(), 5);
      first->stepUp();
      QCOMPARE(first->value(), 104);
      QCOMPARE(first->singleStep(), 50);
      second->setValue(5000); // beyond the maximum
      QCOMPARE(second->value(), 1000);
      Click(d, "btnOk");
    });
    QVERIFY(TInputNumber::Execute({-1, -1}, "Table", "Columns:", cols, "Rows:", rows));
    QCOMPARE(cols, 104);
    QCOMPARE(rows, 1000);

    int minutes = 5;
    OnModal<TInputNumber>([&](TInputNumber *d) {
      QVERIFY(!Child<QSpinBox>(d, "edNumber2")->isVisible());
      Child<QSpinBox>(d, "edNumber1")->setValue(42);
      Click(d, "btnCancel");
    });
    QVERIFY(!TInputNumber::Execute({-1, -1}, "Save text automatically", "Interval (0 = off):", minutes,
                                   TNumField{0, 99, 1, imFixed}));
    QCOMPARE(minutes, 5);
  }

  void optionList() {
    TStyleDialog dlg;
    QString value = "old";
    OnModal<TStyleDialog>([&](TStyleDialog *d) {
      auto *list = Child<QListWidget>(d, "lbItems");
      QCOMPARE(list->count(), 3);
      QCOMPARE(list->currentRow(), 0);
      list->setCurrentRow(1);
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute({-1, -1}, "font-family", value, "serif,\"Times New Roman\",monospace"));
    QCOMPARE(value, QString("Times New Roman"));
    OnModal<TStyleDialog>([&](TStyleDialog *d) { Click(d, "btnCancel"); });
    QVERIFY(!dlg.Execute({-1, -1}, "font-family", value, "serif"));
    QCOMPARE(value, QString("Times New Roman"));
  }

  // Enter in the pattern field edits the grid, not the dialog; OK rebuilds the filter.
  void fileFilter() {
    TFileFilterDialog dlg;
    QString filter = "HTML document|*.htm;*.html|all|*.*";
    OnModal<TFileFilterDialog>([&](TFileFilterDialog *d) {
      auto *grid = Child<QTableWidget>(d, "sgFilter");
      QCOMPARE(grid->rowCount(), 2);
      QCOMPARE(Child<QLineEdit>(d, "edDescription")->text(), QString("HTML document"));
      grid->setCurrentCell(1, 0);
      Child<QLineEdit>(d, "edDescription")->setText("Style sheet");
      Child<QLineEdit>(d, "edFilter")->setText("*.css");
      QTest::keyClick(Child<QLineEdit>(d, "edFilter"), Qt::Key_Return); // last row: appends
      QVERIFY(d->isVisible());
      QCOMPARE(grid->rowCount(), 3);
      QCOMPARE(grid->currentRow(), 2);
      Click(d, "btnUp");
      QCOMPARE(grid->item(1, 0)->text(), QString("Style sheet"));
      Click(d, "btnOk");
    });
    QVERIFY(dlg.Execute(QString(), filter));
    QCOMPARE(filter,
             QString("HTML document (*.htm;*.html)|*.htm;*.html|Style sheet (*.css)|*.css|all (*.*)|*.*"));
    OnModal<TFileFilterDialog>([&](TFileFilterDialog *d) {
      Click(d, "btnRemove");
      Click(d, "btnCancel");
    });
    const QString before = filter;
    QVERIFY(!dlg.Execute("Images", filter));
    QCOMPARE(filter, before);
  }

  void textWithHistory() {
    THistoryList history;
    history.AssignList({"beta", "alpha"});
    QString text = "gam";
    OnModal<TInputTextDialog>([&](TInputTextDialog *d) {
      auto *box = Child<QComboBox>(d, "cbText");
      QCOMPARE(box->itemText(0), QString("alpha")); // sorted
      QVERIFY(!Child<QPushButton>(d, "btnCharTable")->isVisible());
      box->setEditText("gamma");
      QTest::keyClick(box->lineEdit(), Qt::Key_Return); // Enter accepts
    });
    QVERIFY(TInputTextDialog::Execute({-1, -1}, "Anchor", "Name:", text, &history, true));
    QCOMPARE(text, QString("gamma"));
    QCOMPARE(history.Strings(), (QStringList{"gamma", "alpha", "beta"}));
    OnModal<TInputTextDialog>([&](TInputTextDialog *d) {
      Child<QComboBox>(d, "cbText")->setEditText("delta");
      QTest::keyClick(Child<QComboBox>(d, "cbText")->lineEdit(), Qt::Key_Escape);
    });
    QVERIFY(!TInputTextDialog::Execute({-1, -1}, "Anchor", "Name:", text, &history, false));
    QCOMPARE(text, QString("gamma"));
    QCOMPARE(history.Count(), 3);
  }
};

QTEST_MAIN(TstDialogsUi)
#include "tst_dialogs_ui.moc"
