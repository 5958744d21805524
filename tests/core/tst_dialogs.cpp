// Values of the dialogs: file sizes, attribute values with units, number steps, colours, date
// formats, option lists, mail addresses and file filters.
#include "core/dialogs/Colors.h"
#include "core/dialogs/DateFormats.h"
#include "core/dialogs/FileFilter.h"
#include "core/dialogs/FileSize.h"
#include "core/dialogs/NumValues.h"
#include "core/dialogs/TextValues.h"

#include <QTest>

class TstDialogs : public QObject {
  Q_OBJECT

private slots:
  void formatFileSize_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<QString>("expected");
    const QChar c = u',', p = u'.';
    const qint64 Ti = qint64(1) << 40;
    QTest::newRow("1023 dec") << qint64(1023) << false << c << "1,02 kB";
    QTest::newRow("999 dec") << qint64(999) << false << c << "999 B";
    QTest::newRow("1023 bin") << qint64(1023) << true << c << "1023 B";
    QTest::newRow("0") << qint64(0) << true << p << "0 B";
    QTest::newRow("1536 bin comma") << qint64(1536) << true << c << "1,50 KiB";
    QTest::newRow("1536 bin point") << qint64(1536) << true << p << "1.50 KiB";
    QTest::newRow("123456789 dec comma") << qint64(123456789) << false << c << "123 MB";
    QTest::newRow("123456789 dec point") << qint64(123456789) << false << p << "123 MB";
    QTest::newRow("123456789 bin") << qint64(123456789) << true << p << "118 MiB";
    QTest::newRow("5 TiB bin comma") << 5 * Ti << true << c << "5120,00 GiB";
    QTest::newRow("5 TiB bin point") << 5 * Ti << true << p << "5120.00 GiB";
    QTest::newRow("5 TB dec") << qint64(5000000000000) << false << c << "5000,00 GB";
    QTest::newRow("1000 dec comma") << qint64(1000) << false << c << "1,00 kB";
    QTest::newRow("1000 bin") << qint64(1000) << true << c << "1000 B";
    QTest::newRow("10 KiB one decimal") << qint64(10240) << true << p << "10.0 KiB";
    QTest::newRow("99.99 kB rounds up") << qint64(99999) << false << c << "100,0 kB";
    QTest::newRow("100 kB no decimals") << qint64(100000) << false << c << "100 kB";
    QTest::newRow("1.5 MB") << qint64(1500000) << false << p << "1.50 MB";
    QTest::newRow("2.5 GiB") << qint64(5) * (qint64(1) << 29) << true << c << "2,50 GiB";
  }
  void formatFileSize() {
    QFETCH(qint64, bytes);
    QFETCH(bool, binary);
    QFETCH(QChar, sep);
    QFETCH(QString, expected);
    QCOMPARE(FormatFileSize(bytes, binary ? suBinary : suDecimal, sep), expected);
  }

  void parseFileSize_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<qint64>("expected"); // -1: does not read
    const QChar c = u',', p = u'.';
    QTest::newRow("1,5 KiB comma") << "1,5 KiB" << c << qint64(1536);
    QTest::newRow("1.5 KiB point") << "1.5 KiB" << p << qint64(1536);
    QTest::newRow("1,5 KiB point fails") << "1,5 KiB" << p << qint64(-1);
    QTest::newRow("2MB") << "2MB" << c << qint64(2000000);
    QTest::newRow("512 b") << "512 b" << c << qint64(512);
    QTest::newRow("3 TB") << "3 TB" << c << qint64(3000000000000);
    QTest::newRow("3 tib") << "3 tib" << c << qint64(3) * (qint64(1) << 40);
    QTest::newRow("2 GiB") << "2 GiB" << p << (qint64(2) << 30);
    QTest::newRow("4k without B") << "4k" << c << qint64(4000);
    QTest::newRow("4Ki without B") << "4Ki" << c << qint64(4096);
    QTest::newRow("plain digits") << "1234" << c << qint64(1234);
    QTest::newRow("blanks around") << "  1,50 KiB  " << c << qint64(1536);
    QTest::newRow("empty is 0") << "" << c << qint64(0);
    QTest::newRow("blank is 0") << "   " << c << qint64(0);
    QTest::newRow("formatted 123 MB") << "123 MB" << c << qint64(123000000);
    QTest::newRow("formatted 5120,00 GiB") << "5120,00 GiB" << c << qint64(5) * (qint64(1) << 40);
    QTest::newRow("1.5 comma fails") << "1.5" << c << qint64(-1);
    QTest::newRow("1.5 point rounds") << "1.5" << p << qint64(2);
    QTest::newRow("abc") << "abc" << c << qint64(-1);
    QTest::newRow("unit only") << "KB" << c << qint64(-1);
    QTest::newRow("B only") << "B" << c << qint64(-1);
    QTest::newRow("unknown unit") << "5 X" << c << qint64(-1);
    QTest::newRow("two numbers") << "1 5 K" << c << qint64(-1);
    QTest::newRow("negative") << "-1 KB" << c << qint64(-1);
    QTest::newRow("exponent") << "1e3" << p << qint64(-1);
    QTest::newRow("too large") << "99999999 TiB" << c << qint64(-1);
  }
  void parseFileSize() {
    QFETCH(QString, text);
    QFETCH(QChar, sep);
    QFETCH(qint64, expected);
    const std::optional<qint64> v = ParseFileSize(text, sep);
    QCOMPARE(v.has_value(), expected >= 0);
    if (v)
      QCOMPARE(*v, expected);
  }

  void stepForValue_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("step");
    const int rows[][3] = {
        {imDecAuto, -5, 1},
        {imDecAuto, 0, 1},
        {imDecAuto, 9, 1},
        {imDecAuto, 10, 5},
        {imDecAuto, 99, 5},
        {imDecAuto, 100, 50},
        {imDecAuto, 999, 50},
        {imDecAuto, 1000, 500},
        {imDecAuto, 9999, 500},
        {imDecAuto, 10000, 5000},
        {imDecAuto, 2000000000, 5000},
        {imBinAuto, -1, 1},
        {imBinAuto, 7, 1},
        {imBinAuto, 8, 8},
        {imBinAuto, 63, 8},
        {imBinAuto, 64, 64},
        {imBinAuto, 511, 64},
        {imBinAuto, 512, 512},
        {imBinAuto, 4095, 512},
        {imBinAuto, 4096, 4096},
        {imFixed, 5000, 3},
    };
    for (const auto &r : rows)
      QTest::addRow("mode %d value %d", r[0], r[1]) << r[0] << r[1] << r[2];
  }
  void stepForValue() {
    QFETCH(int, mode);
    QFETCH(int, value);
    QFETCH(int, step);
    QCOMPARE(StepForValue(value, TIncrMode(mode), 3), step);
  }

  // What the value dialog shows for a given value: the unit found and the number read.
  void splitAttrValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QChar>("sep");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("number");
    QTest::newRow("1.5em, comma locale") << "1.5em" << QChar(u',') << 8 << 1.5;
    QTest::newRow("1.5em, point locale") << "1.5em" << QChar(u'.') << 8 << 1.5;
    QTest::newRow("1,5em in comma locale") << "1,5em" << QChar(u',') << 8 << 1.5;
    QTest::newRow("1,5em in point locale") << "1,5em" << QChar(u'.') << 8 << 1.0;
    QTest::newRow("100%") << "100%" << QChar(u',') << 1 << 100.0;
    QTest::newRow("upper-case PX") << "12PX" << QChar(u'.') << 2 << 12.0;
    QTest::newRow("pt") << "10.5pt" << QChar(u'.') << 3 << 10.5;
    QTest::newRow("pc") << "2pc" << QChar(u'.') << 4 << 2.0;
    QTest::newRow("mm with blank") << "10 mm" << QChar(u'.') << 5 << 10.0;
    QTest::newRow("cm") << "2.54cm" << QChar(u'.') << 6 << 2.54;
    QTest::newRow("in") << "1in" << QChar(u'.') << 7 << 1.0;
    QTest::newRow("ex") << "3ex" << QChar(u'.') << 9 << 3.0;
    QTest::newRow("negative") << "-2px" << QChar(u'.') << 2 << -2.0;
    QTest::newRow("plain number") << "20" << QChar(u'.') << 0 << 20.0;
    QTest::newRow("not a number shows 1") << "auto" << QChar(u'.') << 0 << 1.0;
    QTest::newRow("empty shows 1") << "" << QChar(u'.') << 0 << 1.0;
  }
  void splitAttrValue() {
    QFETCH(QString, value);
    QFETCH(QChar, sep);
    QFETCH(int, unit);
    QFETCH(double, number);
    const TAttrValueParts parts = SplitAttrValue(value);
    QCOMPARE(parts.Unit, unit);
    QCOMPARE(ReadAttrNumber(parts.Number, sep), number);
  }

  void composeAttrValue_data() {
    QTest::addColumn<double>("number");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1.5em unchanged") << 1.5 << 8 << "1.5em";
    QTest::newRow("100%") << 100.0 << 1 << "100%";
    QTest::newRow("2 inch") << 2.0 << 7 << "2.00in";
    QTest::newRow("number 20") << 20.0 << 0 << "20";
    QTest::newRow("number 2.6 rounds") << 2.6 << 0 << "3";
    QTest::newRow("pixel rounds") << 12.5 << 2 << "13px";
    QTest::newRow("point one decimal") << 12.34 << 3 << "12.3pt";
    QTest::newRow("negative mm") << -1.25 << 5 << "-1.3mm";
    QTest::newRow("tiny negative is 0") << -0.01 << 3 << "0.0pt";
    QTest::newRow("seven digits") << 1234567.89 << 6 << "1234568.00cm";
    QTest::newRow("bad unit index") << 7.0 << 42 << "7";
  }
  void composeAttrValue() {
    QFETCH(double, number);
    QFETCH(int, unit);
    QFETCH(QString, expected);
    QCOMPARE(ComposeAttrValue(number, unit), expected);
  }

  void colorToHex_data() {
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QString>("hex");
    QTest::newRow("red") << quint32(0x0000FF) << "FF0000";
    QTest::newRow("blue") << quint32(0xFF0000) << "0000FF";
    QTest::newRow("mixed") << quint32(0x123456) << "563412";
    QTest::newRow("light yellow") << quint32(0xB8FFFF) << "FFFFB8";
    QTest::newRow("basic colour 8") << BasicColors[8] << "FF0000";
    QTest::newRow("basic silver") << BasicColors[14] << "C0C0C0";
    QTest::newRow("lower-case digits never") << quint32(0xabcdef) << "EFCDAB";
  }
  void colorToHex() {
    QFETCH(quint32, color);
    QFETCH(QString, hex);
    QCOMPARE(ColorToHex(color), hex);
    QCOMPARE(HexToColor(hex), color);
    QCOMPARE(HexToColor(u'#' + hex.toLower()), color);
  }

  void hexToColorBadPairs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("color");
    QTest::addColumn<bool>("isHex");
    QTest::newRow("bad red pair") << "zz8000" << quint32(0x008000) << false;
    QTest::newRow("signed pair") << "-1FF00" << quint32(0x00FF00) << false;
    QTest::newRow("blank pair") << " 1FF00" << quint32(0x00FF00) << false;
    QTest::newRow("short") << "FF" << quint32(0x0000FF) << false;
    QTest::newRow("empty") << "" << quint32(0) << false;
    QTest::newRow("word") << "center" << quint32(0x0000CE) << false; // only "ce" reads
    QTest::newRow("seven digits") << "FF00001" << quint32(0x0000FF) << false;
    QTest::newRow("with hash") << "#80ff00" << quint32(0x00FF80) << true;
  }
  void hexToColorBadPairs() {
    QFETCH(QString, text);
    QFETCH(quint32, color);
    QFETCH(bool, isHex);
    QCOMPARE(HexToColor(text), color);
    QCOMPARE(IsHexColor(text), isHex);
  }

  void colorList() {
    const TColorList def = DefaultCustomColors();
    QCOMPARE(def[0], quint32(0xB8FFFF));
    QCOMPARE(ColorToHex(def[0]), QString("FFFFB8"));
    QCOMPARE(def[15], quint32(0x580058));
    QCOMPARE(ParseColorList(FormatColorList(def)), def);
    QVERIFY(FormatColorList(def).startsWith("$B8FFFF,$B8B8FF,"));

    TColorList small{};
    small[0] = 0;
    small[1] = 0x80;
    small[2] = 0x1234;
    QVERIFY(FormatColorList(small).startsWith("$000,$080,$1234,$000,"));

    // Fewer than 16 pieces leave black, more are ignored, a bad piece is black.
    const TColorList few = ParseColorList("$FF, $00FF00,$XYZ,16");
    QCOMPARE(few[0], quint32(0xFF));
    QCOMPARE(few[1], quint32(0xFF00));
    QCOMPARE(few[2], quint32(0));
    QCOMPARE(few[3], quint32(16));
    QCOMPARE(few[15], quint32(0));
    QStringList many;
    for (int i = 0; i < 20; ++i)
      many << QStringLiteral("$%1").arg(i + 1, 0, 16);
    const TColorList cut = ParseColorList(many.join(','));
    QCOMPARE(cut[15], quint32(16));
    QCOMPARE(ParseColorList(QString()), TColorList{});
  }

  void formatDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    // 5 March 2026
    QTest::newRow("en iso") << "en_US" << 0 << "2026-03-05";
    QTest::newRow("en d.m.yyyy") << "en_US" << 1 << "5.3.2026";
    QTest::newRow("en d.m.yy") << "en_US" << 2 << "5.3.26";
    QTest::newRow("en dd.mm.yyyy") << "en_US" << 3 << "05.03.2026";
    QTest::newRow("en short month") << "en_US" << 4 << "5. Mar 2026";
    QTest::newRow("en long month") << "en_US" << 5 << "5. March 2026";
    QTest::newRow("en slashes") << "en_US" << 6 << "03/05/2026";
    QTest::newRow("de long month") << "de_DE" << 5 << "5. März 2026";
    QTest::newRow("de short month") << "de_DE" << 4 << "5. März 2026";
    QTest::newRow("de slashes despite dots") << "de_DE" << 6 << "03/05/2026";
    QTest::newRow("hu long month") << "hu_HU" << 5 << "5. március 2026";
    QTest::newRow("hu short month") << "hu_HU" << 4 << "5. márc. 2026";
    QTest::newRow("hu iso") << "hu_HU" << 0 << "2026-03-05";
  }
  void formatDate() {
    QFETCH(QString, locale);
    QFETCH(int, index);
    QFETCH(QString, expected);
    QCOMPARE(FormatDateIndex(QDate(2026, 3, 5), index, QLocale(locale)), expected);
  }

  void dateCaptionsAndPatterns() {
    const QDate d(2026, 12, 24);
    const QLocale de("de_DE");
    QCOMPARE(DateFormatCaption(d, 6, de), QString("12/24/2026 (mm/dd/yyyy)"));
    QCOMPARE(DateFormatCaption(d, 5, de), QString("24. Dezember 2026 (d. mmmm yyyy)"));
    QCOMPARE(FormatDatePattern(d, "dddd, d. mmmm yyyy \"um\" yy", de),
             QString("Donnerstag, 24. Dezember 2026 um 26"));
    QCOMPARE(FormatDatePattern(QDate(987, 1, 2), "yyyy-mm-dd", de), QString("0987-01-02"));
    // Every display pattern shows what the output pattern writes, where both use numbers.
    for (int i : {0, 1, 2, 3, 6})
      QCOMPARE(de.toString(d, QString::fromLatin1(DateFormats[i].Display)), FormatDateIndex(d, i, de));
  }

  void readShortDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    const QDate bad;
    QTest::newRow("en") << "en_US"
                        << "3/5/26" << QDate(2026, 3, 5);
    QTest::newRow("de") << "de_DE"
                        << "05.03.26" << QDate(2026, 3, 5);
    QTest::newRow("de last century") << "de_DE"
                                     << "05.03.80" << QDate(1980, 3, 5);
    QTest::newRow("de blanks") << "de_DE"
                               << " 24.12.30 " << QDate(2030, 12, 24);
    QTest::newRow("de leap day") << "de_DE"
                                 << "29.02.28" << QDate(2028, 2, 29);
    QTest::newRow("garbage") << "de_DE"
                             << "heute" << bad;
    QTest::newRow("empty") << "en_US"
                           << "" << bad;
    QTest::newRow("no 13th month") << "de_DE"
                                   << "05.13.26" << bad;
  }
  void readShortDate() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(ReadShortDate(text, QLocale(locale), QDate(2026, 12, 10)), expected);
  }

  void commaText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("plain") << "none,dotted,dashed" << QStringList{"none", "dotted", "dashed"};
    QTest::newRow("blanks separate") << "a b, c" << QStringList{"a", "b", "c"};
    QTest::newRow("quoted blank and comma")
        << "\"Times New Roman, serif\",monospace" << QStringList{"Times New Roman, serif", "monospace"};
    QTest::newRow("doubled quote") << "\"a\"\"b\"" << QStringList{"a\"b"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("empty item") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("final comma") << "a," << QStringList{"a", ""};
  }
  void commaText() {
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(ParseCommaText(text), items);
  }

  void mailAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("composed");
    QTest::newRow("full") << "anna@example.org"
                          << "anna"
                          << "@example.org"
                          << "anna@example.org";
    QTest::newRow("name only") << "anna"
                               << "anna"
                               << ""
                               << "anna";
    QTest::newRow("at at the end") << "anna@"
                                   << "anna"
                                   << ""
                                   << "anna";
    QTest::newRow("base only") << "@example.org"
                               << ""
                               << "@example.org"
                               << "@example.org";
    QTest::newRow("second at stays in base") << "a@b@c"
                                             << "a"
                                             << "@b@c"
                                             << "a@b@c";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
  }
  void mailAddress() {
    QFETCH(QString, address);
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, composed);
    const TMailParts parts = SplitMailAddress(address);
    QCOMPARE(parts.Name, name);
    QCOMPARE(parts.Base, base);
    QCOMPARE(ComposeMailAddress(parts.Name, parts.Base), composed);
  }
  void mailBaseGetsAt() {
    QCOMPARE(ComposeMailAddress("anna", "example.org"), QString("anna@example.org"));
    QCOMPARE(ComposeMailAddress(" anna ", " @example.org "), QString("anna@example.org"));
    QCOMPARE(ComposeMailAddress("", "example.org"), QString("@example.org"));
  }

  void fileFilterBuild_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("rebuilt");
    QTest::newRow("patterns added") << "HTML document|*.htm;*.html|all|*.*"
                                    << "HTML document (*.htm;*.html)|*.htm;*.html|all (*.*)|*.*";
    QTest::newRow("description with parenthesis") << "Images (gif)|*.gif|CSS|*.css"
                                                  << "Images (gif)|*.gif|CSS (*.css)|*.css";
    QTest::newRow("no pattern") << "Text"
                                << "Text (*.*)|*.*";
    QTest::newRow("stable") << "all (*.*)|*.*"
                            << "all (*.*)|*.*";
    QTest::newRow("empty") << ""
                           << "";
  }
  void fileFilterBuild() {
    QFETCH(QString, filter);
    QFETCH(QString, rebuilt);
    QCOMPARE(TFilterRows::Parse(filter).Build(), rebuilt);
    QCOMPARE(TFilterRows::Parse(rebuilt).Build(), rebuilt);
  }

  void fileFilterRows() {
    QStringList parts;
    for (int i = 0; i < 16; ++i)
      parts << QStringLiteral("D%1").arg(i) << QStringLiteral("*.%1").arg(i);
    QCOMPARE(TFilterRows::Parse(parts.join('|')).Count(), TFilterRows::MaxRows);

    TFilterRows rows = TFilterRows::Parse("A|*.a|B|*.b|C|*.c");
    auto names = [&] {
      QString s;
      for (const TFilterRow &r : rows.Rows())
        s += r.Description;
      return s;
    };
    QCOMPARE(rows.MoveUp(0), -1);
    QCOMPARE(rows.MoveDown(2), -1);
    QCOMPARE(rows.MoveUp(2), 1);
    QCOMPARE(names(), QString("ACB"));
    QCOMPARE(rows.MoveDown(0), 1);
    QCOMPARE(names(), QString("CAB"));
    QCOMPARE(rows.InsertBefore(1, {"X", "*.x"}), 1);
    QCOMPARE(names(), QString("CXAB"));
    QCOMPARE(rows.Replace(0, {"Y|", ""}), 0); // no "|" inside a row, empty pattern matches all
    QCOMPARE(rows.Rows()[0], (TFilterRow{"Y", "*.*"}));
    QCOMPARE(rows.Remove(3), 2);
    QCOMPARE(names(), QString("YXA"));
    // Enter on a row above the last replaces it; on the last row it appends.
    QCOMPARE(rows.Enter(1, {"E", "*.e"}), 1);
    QCOMPARE(names(), QString("YEA"));
    QCOMPARE(rows.Enter(2, {"F", "*.f"}), 3);
    QCOMPARE(names(), QString("YEAF"));
    while (!rows.Full())
      rows.InsertBefore(0, {"Z", "*.z"});
    QCOMPARE(rows.InsertBefore(0, {"W", "*.w"}), -1);
    QCOMPARE(rows.Enter(rows.Count() - 1, {"L", "*.l"}), rows.Count() - 1); // full: replaces
    QCOMPARE(rows.Rows().back().Description, QString("L"));
    QCOMPARE(rows.Count(), TFilterRows::MaxRows);

    TFilterRows empty;
    QCOMPARE(empty.Remove(0), -1);
    QCOMPARE(empty.Enter(-1, {"N", "*.n"}), 0);
    QCOMPARE(empty.Build(), QString("N (*.n)|*.n"));
  }
};

QTEST_GUILESS_MAIN(TstDialogs)
#include "tst_dialogs.moc"
