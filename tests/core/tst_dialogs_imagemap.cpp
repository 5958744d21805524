// Image maps: reading a map from the page, writing it back, hit tests and the editor's drawing,
// moving and sizing of shapes.
#include "core/dialogs/ImageMap.h"

#include <QTest>

Q_DECLARE_METATYPE(TAreaDataObject)

namespace {
TAreaDataObject Area(TAreaShape shape, QList<QPoint> points, QString link = {}, QString alt = {},
                     QString title = {}) {
  TAreaDataObject a;
  a.Shape = shape;
  a.Points = points;
  a.Link = link;
  a.Alt = alt;
  a.Title = title;
  return a;
}
} // namespace

class TstDialogsImageMap : public QObject {
  Q_OBJECT

private slots:
  void readArea_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<TAreaDataObject>("area");
    QTest::newRow("rect") << "<area shape=\"rect\" coords=\"1,2,30,40\" href=\"a.html\" alt=\"A\" title=\"T\""
                          << Area(asRect, {{1, 2}, {30, 40}}, "a.html", "A", "T");
    QTest::newRow("circle upper case")
        << "<AREA SHAPE=\"CIRCLE\" COORDS=\"10,20,5\"" << Area(asCircle, {{10, 20}, {5, 0}});
    QTest::newRow("poly odd count") << "<area shape=\"poly\" coords=\"1,2,3,4,5\""
                                    << Area(asPoly, {{1, 2}, {3, 4}, {5, 0}});
    QTest::newRow("polygon word is a rect")
        << "<area shape=\"polygon\" coords=\"1,2,3,4,5,6\"" << Area(asRect, {{1, 2}, {3, 4}});
    QTest::newRow("no shape is a rect") << "<area coords=\"0,0,9,9\"" << Area(asRect, {{0, 0}, {9, 9}});
    QTest::newRow("blank after comma")
        << "<area shape=\"circle\" coords=\"10, 20, 30\"" << Area(asCircle, {{10, 20}, {30, 0}});
    QTest::newRow("blank before comma reads 0")
        << "<area shape=\"circle\" coords=\"10 ,20,30\"" << Area(asCircle, {{0, 20}, {30, 0}});
    QTest::newRow("short coords: no geometry")
        << "<area shape=\"rect\" coords=\"1,2,3\" href=\"x\"" << Area(asRect, {}, "x");
    QTest::newRow("no coords") << "<area shape=\"poly\" alt=\"A\"" << Area(asPoly, {}, {}, "A");
  }
  void readArea() {
    QFETCH(QString, tag);
    QFETCH(TAreaDataObject, area);
    QCOMPARE(ReadArea(tag), area);
  }

  void mapText() {
    const TAreaList areas = {Area(asRect, {{1, 2}, {30, 40}}, "a.html", "A", "T"),
                             Area(asCircle, {{120, 120}, {20, 0}}, {}, "Bereich 2"),
                             Area(asPoly, {{0, 0}, {10, 0}, {5, 8}}, "#top"), Area(asPoly, {}, "x")};
    const QString text = MapText(QStringLiteral("m1"), areas, 2);
    QCOMPARE(text,
             QStringLiteral(
                 "<map name=\"m1\">\r\n"
                 "  <area shape=\"rect\" coords=\"1,2,30,40\" href=\"a.html\" alt=\"A\" title=\"T\">\r\n"
                 "  <area shape=\"circle\" coords=\"120,120,20\" alt=\"Bereich 2\">\r\n"
                 "  <area shape=\"poly\" coords=\"0,0,10,0,5,8\" href=\"#top\">\r\n"
                 "  <area  href=\"x\">\r\n"
                 "</map>"));
    // Reading back what was written gives the same areas.
    const QString page = QStringLiteral("<p>\n") + text + QStringLiteral("\n<img src=\"a.png\">");
    const TMapBlock m = FindMap(page, QStringLiteral("M1"));
    QCOMPARE(m.Start, 4);
    QCOMPARE(m.End, 4 + text.size());
    // The area without points comes back without its shape word, as a rectangle.
    TAreaList back = areas;
    back[3].Shape = asRect;
    QCOMPARE(m.Areas, back);
  }

  void findMap_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("areas");
    QTest::newRow("second map") << "<map name=\"a\"><area coords=\"1,1,2,2\"></map><map name=\"b\">"
                                   "<area coords=\"1,1,2,2\"><area coords=\"1,1,3,3\"></map>"
                                << "b" << 43 << 2;
    QTest::newRow("missing") << "<map name=\"a\"></map>"
                             << "b" << -1 << 0;
    QTest::newRow("unclosed map ends the search") << "<map name=\"a\"><map name=\"b\"></map>"
                                                  << "b" << -1 << 0;
    QTest::newRow("break next to a blank") << "<map name=\"b\">\r\n<area\r\n coords=\"1,1,2,2\"></map>"
                                           << "b" << 0 << 1;
    QTest::newRow("break right after <area") << "<map name=\"b\"><area\r\ncoords=\"1,1,2,2\"></map>"
                                             << "b" << 0 << 0;
    QTest::newRow("tab inside name") << "<map name=\"b\t\"><area coords=\"1,1,2,2\"></map>"
                                     << "b" << 0 << 1;
  }
  void findMap() {
    QFETCH(QString, page);
    QFETCH(QString, name);
    QFETCH(int, start);
    QFETCH(int, areas);
    const TMapBlock m = FindMap(page, name);
    QCOMPARE(m.Start, start);
    QCOMPARE(m.Areas.size(), areas);
  }

  void imageTag_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("map");
    QTest::addColumn<QString>("withMap");
    QTest::newRow("plain") << "<img src=\"a.png\" alt=\"x\">"
                           << "a.png"
                           << ""
                           << "<img src=\"a.png\" alt=\"x\" usemap=\"#n\">";
    QTest::newRow("existing map") << "<IMG SRC=\"b.gif\" USEMAP=\"#Nav\">"
                                  << "b.gif"
                                  << "Nav"
                                  << "<img src=\"b.gif\" USEMAP=\"#Nav\" usemap=\"#n\">";
    QTest::newRow("xhtml") << "<img src=\"a.png\" />"
                           << "a.png"
                           << ""
                           << "<img src=\"a.png\" usemap=\"#n\" />";
    QTest::newRow("empty map name") << "<img src=\"a.png\" usemap=\"#\">"
                                    << "a.png"
                                    << ""
                                    << "<img src=\"a.png\" usemap=\"#\" usemap=\"#n\">";
    QTest::newRow("no src") << "<img alt=\"x\">"
                            << ""
                            << ""
                            << "<img src=\"\" usemap=\"#n\">";
  }
  void imageTag() {
    QFETCH(QString, tag);
    QFETCH(QString, src);
    QFETCH(QString, map);
    QFETCH(QString, withMap);
    const TImageTagInfo info = ReadImageTag(tag);
    QCOMPARE(info.Src, src);
    QCOMPARE(info.MapName, map);
    QCOMPARE(ImageTagWithMap(info, QStringLiteral("n")), withMap);
  }

  void defaultAlts() {
    TAreaList a = {Area(asRect, {}), Area(asRect, {}, {}, "Own"), Area(asRect, {})};
    SetDefaultAlts(a);
    QCOMPARE(a[0].Alt, QStringLiteral("Bereich 1"));
    QCOMPARE(a[1].Alt, QStringLiteral("Own"));
    QCOMPARE(a[2].Alt, QStringLiteral("Bereich 3"));
  }

  void findArea_data() {
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("handle");
    // 0: rect (10,10)-(50,40); 1: circle r=20 at (100,100); 2: triangle; 3: rect without
    // geometry; 4: rect drawn towards the upper left.
    QTest::newRow("rect inside") << QPoint(30, 20) << 0 << -1;
    QTest::newRow("rect corner 4 away") << QPoint(14, 14) << 0 << 0;
    QTest::newRow("rect corner 5 away") << QPoint(15, 15) << 0 << -1;
    QTest::newRow("rect bottom-left") << QPoint(10, 40) << 0 << 3;
    QTest::newRow("rect outside") << QPoint(51, 20) << -1 << -1;
    QTest::newRow("circle centre") << QPoint(100, 100) << 1 << -1;
    QTest::newRow("circle handle 2") << QPoint(114, 114) << 1 << 2;
    QTest::newRow("circle handle 1") << QPoint(113, 86) << 1 << 1;
    QTest::newRow("circle outside") << QPoint(116, 116) << -1 << -1;
    QTest::newRow("poly inside") << QPoint(200, 210) << 2 << -1;
    QTest::newRow("poly vertex on its lower edge") << QPoint(240, 240) << 2 << 1;
    QTest::newRow("poly outside") << QPoint(235, 205) << -1 << -1;
    QTest::newRow("reversed rect") << QPoint(320, 320) << 4 << -1;
  }
  void findArea() {
    QFETCH(QPoint, p);
    QFETCH(int, area);
    QFETCH(int, handle);
    const TAreaList areas = {Area(asRect, {{10, 10}, {50, 40}}, "r.html", "R"),
                             Area(asCircle, {{100, 100}, {20, 0}}),
                             Area(asPoly, {{200, 200}, {240, 240}, {160, 240}}), Area(asRect, {}),
                             Area(asRect, {{350, 350}, {300, 300}})};
    const TSelectedArea s = FindArea(areas, p);
    QCOMPARE(s.AreaNr, area);
    QCOMPARE(s.PointNr, handle);
    if (area == 0)
      QCOMPARE(s.Hint, QStringLiteral("R: r.html"));
  }

  void polyWinding() {
    // A star drawn in one stroke: its centre is inside under the non-zero rule.
    const QList<QPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    QVERIFY(PolyContains(star, {50, 50}));
    QVERIFY(PolyContains(star, {50, 10}));
    QVERIFY(!PolyContains(star, {5, 80}));
  }

  // The editor driven as the mouse drives it.
  void drawShapes() {
    TAreaList areas;
    TImageMapModel m;
    m.Start(&areas, {400, 300});
    m.SetTool(dmCircle);
    m.Press({100, 100});
    m.Move({140, 110});
    m.Release({140, 110});
    QCOMPARE(areas.size(), 1);
    QCOMPARE(areas[0], Area(asCircle, {{120, 120}, {20, 0}}));
    QCOMPARE(m.Koord, QStringLiteral("M=(120,120) R=20"));

    // A click without a drag makes nothing.
    m.Press({300, 200});
    m.Release({300, 200});
    QCOMPARE(areas.size(), 1);

    // A rectangle drawn up and left is stored with its corners in order.
    m.SetTool(dmRect);
    m.Press({60, 50});
    m.Move({20, 10});
    QCOMPARE(m.Koord, QStringLiteral("LO=(60,50) RU=(20,10)"));
    m.Release({20, 10});
    QCOMPARE(areas[1], Area(asRect, {{20, 10}, {60, 50}}));

    // Polygons: points by clicks, closed by the Select tool; two points are dropped.
    m.SetTool(dmPoly);
    m.Press({200, 200});
    m.Release({200, 200});
    m.Press({250, 200});
    m.Release({250, 200});
    QCOMPARE(m.Koord, QStringLiteral("(200,200),(250,200)"));
    m.SetTool(dmCursor);
    QCOMPARE(areas.size(), 2);
    m.SetTool(dmPoly);
    for (QPoint p : {QPoint(200, 200), QPoint(250, 200), QPoint(225, 250)}) {
      m.Press(p);
      m.Release(p);
    }
    m.SetTool(dmCursor);
    QCOMPARE(areas.size(), 3);
    QCOMPARE(areas[2], Area(asPoly, {{200, 200}, {250, 200}, {225, 250}}));
    QCOMPARE(MapText("n", areas, 1),
             QStringLiteral("<map name=\"n\">\r\n"
                            " <area shape=\"circle\" coords=\"120,120,20\">\r\n"
                            " <area shape=\"rect\" coords=\"20,10,60,50\">\r\n"
                            " <area shape=\"poly\" coords=\"200,200,250,200,225,250\">\r\n"
                            "</map>"));
  }

  void sizeCircleByHandle() {
    TAreaList areas = {Area(asCircle, {{100, 100}, {50, 0}})};
    TImageMapModel m;
    m.Start(&areas, {400, 300});
    m.Press({135, 135}); // handle 2 at 0.7 radius
    QCOMPARE(m.EdMode, edSize);
    m.Move({160, 160});
    m.Release({160, 160});
    QCOMPARE(areas[0], Area(asCircle, {{115, 115}, {65, 0}}));
    QCOMPARE(m.DrawMode, dmCursor);
  }

  void moveClamped_data() {
    QTest::addColumn<TAreaDataObject>("area");
    QTest::addColumn<QPoint>("grab");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<TAreaDataObject>("moved");
    QTest::newRow("rect free") << Area(asRect, {{10, 10}, {50, 40}}) << QPoint(30, 20) << QPoint(40, 30)
                               << Area(asRect, {{20, 20}, {60, 50}});
    QTest::newRow("rect stops at the left edge") << Area(asRect, {{10, 10}, {50, 40}}) << QPoint(30, 20)
                                                 << QPoint(15, 25) << Area(asRect, {{10, 15}, {50, 45}});
    QTest::newRow("rect stops before the right edge") << Area(asRect, {{10, 10}, {50, 40}}) << QPoint(30, 20)
                                                      << QPoint(80, 20) << Area(asRect, {{10, 10}, {50, 40}});
    QTest::newRow("circle stops at the top") << Area(asCircle, {{40, 30}, {20, 0}}) << QPoint(40, 30)
                                             << QPoint(45, 0) << Area(asCircle, {{45, 30}, {20, 0}});
    QTest::newRow("poly may leave the picture")
        << Area(asPoly, {{10, 10}, {30, 10}, {20, 30}}) << QPoint(20, 15) << QPoint(0, 0)
        << Area(asPoly, {{-10, -5}, {10, -5}, {0, 15}});
  }
  void moveClamped() {
    QFETCH(TAreaDataObject, area);
    QFETCH(QPoint, grab);
    QFETCH(QPoint, to);
    QFETCH(TAreaDataObject, moved);
    TAreaList areas = {area};
    TImageMapModel m;
    m.Start(&areas, {70, 60});
    m.Press(grab);
    QCOMPARE(m.EdMode, edMove);
    m.Move(to);
    m.Release(to);
    QCOMPARE(areas[0], moved);
  }

  void deleteAndLink() {
    TAreaList areas = {Area(asPoly, {{10, 10}, {60, 10}, {60, 60}, {10, 60}}),
                       Area(asRect, {{100, 100}, {150, 150}})};
    TImageMapModel m;
    m.Start(&areas, {400, 300});
    QList<bool> asked;
    bool answer = false;
    m.ConfirmDelete = [&](bool vertex) {
      asked << vertex;
      return answer;
    };
    m.SetTool(dmDelete);
    m.Press({60, 60}); // a vertex, answered No
    QCOMPARE(areas[0].PtCnt(), 4);
    answer = true;
    m.Press({60, 60});
    QCOMPARE(areas[0].Points, (QList<QPoint>{{10, 10}, {60, 10}, {10, 60}}));
    m.Press({120, 120});
    QCOMPARE(areas.size(), 1);
    QCOMPARE(asked, (QList<bool>{true, true, false}));

    m.EditLink = [](TAreaDataObject &a) { a.Link = QStringLiteral("x.html"); };
    m.SetTool(dmLink);
    m.Press({20, 20});
    QCOMPARE(areas[0].Link, QStringLiteral("x.html"));
  }
};

QTEST_GUILESS_MAIN(TstDialogsImageMap)
#include "tst_dialogs_imagemap.moc"
