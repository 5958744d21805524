#include "core/dialogs/ImageMap.h"

#include <cmath>
#include <cstdlib>

bool TAreaDataObject::HasGeometry() const {
  return Shape == asPoly ? !Points.isEmpty() : Points.size() >= 2;
}

QString GetAttrValue(const QString &tag, const QString &name) {
  const QString key = name + QStringLiteral("=\"");
  const qsizetype at = tag.indexOf(key, 0, Qt::CaseInsensitive);
  if (at < 0)
    return QString();
  const qsizetype start = at + key.size();
  const qsizetype end = tag.indexOf(u'"', start);
  return end < 0 ? tag.mid(start) : tag.mid(start, end - start);
}

TAreaShape GetAreaShape(const QString &areaTag) {
  const QString s = GetAttrValue(areaTag, QStringLiteral("shape"));
  if (s.compare(QLatin1String("circle"), Qt::CaseInsensitive) == 0)
    return asCircle;
  if (s.compare(QLatin1String("poly"), Qt::CaseInsensitive) == 0)
    return asPoly;
  return asRect;
}

namespace {
// A coords number: leading blanks and tabs dropped; anything but a whole integer reads 0.
int CoordNumber(QString s) {
  qsizetype i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
    ++i;
  // QString::toInt would forgive a trailing blank; a coords number must be digits to its end.
  const QString t = s.mid(i);
  qsizetype j = t.startsWith(u'-') || t.startsWith(u'+') ? 1 : 0;
  if (j >= t.size())
    return 0;
  for (qsizetype k = j; k < t.size(); ++k)
    if (!t[k].isDigit() || t[k].unicode() > 127)
      return 0;
  bool ok = false;
  const int n = t.toInt(&ok, 10);
  return ok ? n : 0;
}
} // namespace

TAreaDataObject ReadArea(const QString &areaTag) {
  TAreaDataObject a;
  a.Shape = GetAreaShape(areaTag);
  a.Link = GetAttrValue(areaTag, QStringLiteral("href"));
  a.Title = GetAttrValue(areaTag, QStringLiteral("title"));
  a.Alt = GetAttrValue(areaTag, QStringLiteral("alt"));
  const QString coords = GetAttrValue(areaTag, QStringLiteral("coords"));
  if (coords.isEmpty())
    return a;
  QList<int> n;
  for (const QString &part : coords.split(u','))
    n << CoordNumber(part);
  switch (a.Shape) {
  case asPoly:
    for (qsizetype i = 0; i < n.size(); i += 2)
      a.Points << QPoint(n[i], i + 1 < n.size() ? n[i + 1] : 0);
    break;
  case asCircle:
    // Too few numbers leave the area without geometry rather than inventing a shape.
    if (n.size() >= 3)
      a.Points = {QPoint(n[0], n[1]), QPoint(n[2], 0)};
    break;
  case asRect:
    if (n.size() >= 4)
      a.Points = {QPoint(n[0], n[1]), QPoint(n[2], n[3])};
    break;
  }
  return a;
}

TImageTagInfo ReadImageTag(const QString &tag) {
  TImageTagInfo info;
  const qsizetype at = tag.indexOf(QLatin1String("src=\""), 0, Qt::CaseInsensitive);
  if (at < 0)
    return info;
  const qsizetype start = at + 5;
  qsizetype end = tag.indexOf(u'"', start);
  if (end < 0)
    end = tag.size();
  info.Src = tag.mid(start, end - start);
  const qsizetype restStart = std::min(end + 1, tag.size());
  qsizetype gt = tag.indexOf(u'>', restStart);
  if (gt < 0)
    gt = tag.size();
  info.Rest = tag.mid(restStart, gt - restStart);
  const qsizetype um = info.Rest.indexOf(QLatin1String("usemap=\"#"), 0, Qt::CaseInsensitive);
  if (um >= 0) {
    const qsizetype ns = um + 9;
    const qsizetype ne = info.Rest.indexOf(u'"', ns);
    info.MapName = ne < 0 ? QString() : info.Rest.mid(ns, ne - ns);
  }
  return info;
}

QString ImageTagWithMap(const TImageTagInfo &info, const QString &mapName) {
  QString rest = info.Rest, close;
  // An XHTML "/>" stays at the end of the tag.
  qsizetype cut = rest.size();
  while (cut > 0 && rest[cut - 1].isSpace())
    --cut;
  if (cut > 0 && rest[cut - 1] == u'/') {
    close = QStringLiteral(" /");
    rest.truncate(cut - 1);
    while (!rest.isEmpty() && rest.back().isSpace())
      rest.chop(1);
  }
  return QStringLiteral("<img src=\"") + info.Src + u'"' + rest + QStringLiteral(" usemap=\"#") + mapName +
         u'"' + close + u'>';
}

TMapBlock FindMap(const QString &text, const QString &mapName) {
  TMapBlock m;
  if (mapName.isEmpty())
    return m;
  qsizetype from = 0;
  while (true) {
    const qsizetype s = text.indexOf(QLatin1String("<map "), from, Qt::CaseInsensitive);
    if (s < 0)
      return m;
    const qsizetype e = text.indexOf(QLatin1String("</map>"), s, Qt::CaseInsensitive);
    if (e < 0)
      return m; // an unclosed map ends the search: nothing after it can be told apart
    QString block = text.mid(s, e + 6 - s);
    block.removeIf([](QChar c) { return c.unicode() < 32; });
    if (GetAttrValue(block, QStringLiteral("name")).compare(mapName, Qt::CaseInsensitive) == 0) {
      m.Start = s;
      m.End = e + 6;
      qsizetype a = 0;
      while ((a = block.indexOf(QLatin1String("<area "), a, Qt::CaseInsensitive)) >= 0) {
        qsizetype gt = block.indexOf(u'>', a);
        if (gt < 0)
          gt = block.size();
        m.Areas << ReadArea(block.mid(a, gt - a));
        a = gt;
      }
      return m;
    }
    from = e + 6;
  }
}

QString MapText(const QString &mapName, const TAreaList &areas, int tabWidth) {
  static const char *const shapes[] = {"rect", "circle", "poly"};
  const QString crlf = QStringLiteral("\r\n");
  QString s = QStringLiteral("<map name=\"") + mapName + QStringLiteral("\">") + crlf;
  const QString indent(std::max(0, tabWidth), u' ');
  for (const TAreaDataObject &a : areas) {
    s += indent + QStringLiteral("<area ");
    if (a.HasGeometry()) {
      QStringList n;
      if (a.Shape == asPoly) {
        for (const QPoint &p : a.Points)
          n << QString::number(p.x()) << QString::number(p.y());
      } else {
        n << QString::number(a.Points[0].x()) << QString::number(a.Points[0].y())
          << QString::number(a.Points[1].x());
        if (a.Shape == asRect)
          n << QString::number(a.Points[1].y());
      }
      s += QStringLiteral("shape=\"") + QLatin1String(shapes[a.Shape]) + QStringLiteral("\" coords=\"") +
           n.join(u',') + u'"';
    }
    if (!a.Link.isEmpty())
      s += QStringLiteral(" href=\"") + a.Link + u'"';
    if (!a.Alt.isEmpty())
      s += QStringLiteral(" alt=\"") + a.Alt + u'"';
    if (!a.Title.isEmpty())
      s += QStringLiteral(" title=\"") + a.Title + u'"';
    s += u'>' + crlf;
  }
  return s + QStringLiteral("</map>");
}

void SetDefaultAlts(TAreaList &areas) {
  for (qsizetype i = 0; i < areas.size(); ++i)
    if (areas[i].Alt.isEmpty())
      areas[i].Alt = QStringLiteral("Bereich ") + QString::number(i + 1);
}

int RectHandle(const TFrame &f, QPoint p) {
  const QPoint corners[] = {{f.Left, f.Top}, {f.Right, f.Top}, {f.Right, f.Bottom}, {f.Left, f.Bottom}};
  for (int i = 0; i < 4; ++i)
    if (std::abs(p.x() - corners[i].x()) <= 4 && std::abs(p.y() - corners[i].y()) <= 4)
      return i;
  return -1;
}

int CircleHandle(const TCircle &c, QPoint p) {
  const double o = 0.7 * c.Radius;
  const double sx[] = {-1, 1, 1, -1}, sy[] = {-1, -1, 1, 1};
  for (int i = 0; i < 4; ++i)
    if (std::abs(p.x() - (c.Center.x() + sx[i] * o)) < 5 && std::abs(p.y() - (c.Center.y() + sy[i] * o)) < 5)
      return i;
  return -1;
}

int PolyVertex(const QList<QPoint> &poly, QPoint p) {
  for (qsizetype i = 0; i < poly.size(); ++i)
    if (std::abs(p.x() - poly[i].x()) < 5 && std::abs(p.y() - poly[i].y()) < 5)
      return int(i);
  return -1;
}

bool PolyContains(const QList<QPoint> &poly, QPoint p) {
  if (poly.size() < 3)
    return false;
  // Winding number: count edges crossing the point's row upwards (+1) and downwards (-1) on
  // the point's right-hand side.
  int winding = 0;
  for (qsizetype i = 0; i < poly.size(); ++i) {
    const QPoint a = poly[i], b = poly[(i + 1) % poly.size()];
    const qint64 side = qint64(b.x() - a.x()) * (p.y() - a.y()) - qint64(p.x() - a.x()) * (b.y() - a.y());
    if (a.y() <= p.y()) {
      if (b.y() > p.y() && side > 0)
        ++winding;
    } else if (b.y() <= p.y() && side < 0) {
      --winding;
    }
  }
  return winding != 0;
}

TFrame NormalFrame(const TFrame &f) {
  return {std::min(f.Left, f.Right), std::min(f.Top, f.Bottom), std::max(f.Left, f.Right),
          std::max(f.Top, f.Bottom)};
}

TFrame FrameOf(const TAreaDataObject &a) {
  if (a.Points.size() < 2)
    return {};
  return NormalFrame({a.Points[0].x(), a.Points[0].y(), a.Points[1].x(), a.Points[1].y()});
}

TCircle CircleOf(const TAreaDataObject &a) {
  if (a.Points.size() < 2)
    return {};
  return {a.Points[0], a.Points[1].x()};
}

TSelectedArea FindArea(const TAreaList &areas, QPoint p) {
  TSelectedArea s;
  for (qsizetype i = 0; i < areas.size(); ++i) {
    const TAreaDataObject &a = areas[i];
    if (!a.HasGeometry())
      continue;
    int handle = -1;
    bool inside = false;
    switch (a.Shape) {
    case asRect: {
      const TFrame f = FrameOf(a);
      inside = f.Left <= p.x() && p.x() <= f.Right && f.Top <= p.y() && p.y() <= f.Bottom;
      handle = RectHandle(f, p);
      break;
    }
    case asCircle: {
      const TCircle c = CircleOf(a);
      const double dx = p.x() - c.Center.x(), dy = p.y() - c.Center.y();
      inside = std::sqrt(dx * dx + dy * dy) <= c.Radius;
      handle = CircleHandle(c, p);
      break;
    }
    case asPoly:
      handle = PolyVertex(a.Points, p);
      // A vertex on the lower or right edge lies outside by the winding rule, yet it must stay
      // reachable for moving and deleting.
      inside = PolyContains(a.Points, p) || handle >= 0;
      break;
    }
    if (inside) {
      s.AreaNr = int(i);
      s.AreaShape = a.Shape;
      s.PointNr = handle;
      s.Hint = a.Alt + QStringLiteral(": ") + a.Link;
      return s;
    }
  }
  return s;
}

namespace {
int Sign(int v) {
  return (v > 0) - (v < 0);
}
} // namespace

TCircle CircleFromDrag(QPoint start, QPoint p) {
  const int dx = p.x() - start.x(), dy = p.y() - start.y();
  TCircle c;
  if (std::abs(dx) < std::abs(dy)) {
    c.Radius = std::abs(dy) / 2;
    c.Center = {start.x() + Sign(dx) * c.Radius, (start.y() + p.y()) / 2};
  } else {
    c.Radius = std::abs(dx) / 2;
    c.Center = {(start.x() + p.x()) / 2, start.y() + Sign(dy) * c.Radius};
  }
  return c;
}

TFrame SizeCircleFrame(const TFrame &f, int handle, QPoint p) {
  int c = 0, b = 0;
  switch (handle) {
  case 0:
    c = f.Right - p.x();
    b = f.Bottom - p.y();
    break;
  case 1:
    c = p.x() - f.Left;
    b = f.Bottom - p.y();
    break;
  case 2:
    c = p.x() - f.Left;
    b = p.y() - f.Top;
    break;
  case 3:
    c = f.Right - p.x();
    b = p.y() - f.Top;
    break;
  default:
    return f;
  }
  // The handle sits at 0.7 radius on the diagonal; 1.18 turns its distance into the square's side.
  const int d = int(std::lround(1.18 * (std::abs(c) < std::abs(b) ? b : c)));
  TFrame r = f;
  switch (handle) {
  case 0:
    r.Left = f.Right - d;
    r.Top = f.Bottom - d;
    break;
  case 1:
    r.Right = f.Left + d;
    r.Top = f.Bottom - d;
    break;
  case 2:
    r.Right = f.Left + d;
    r.Bottom = f.Top + d;
    break;
  case 3:
    r.Left = f.Right - d;
    r.Bottom = f.Top + d;
    break;
  }
  return r;
}

QPoint ClampMove(const TFrame &f, QPoint delta, QSize size) {
  int dx = delta.x(), dy = delta.y();
  if ((dx < 0 && f.Left + dx < 0) || (dx > 0 && f.Right + dx >= size.width()))
    dx = 0;
  if ((dy < 0 && f.Top + dy < 0) || (dy > 0 && f.Bottom + dy >= size.height()))
    dy = 0;
  return {dx, dy};
}

void TImageMapModel::Start(TAreaList *areas, QSize paintSize) {
  Areas = areas;
  PaintSize = paintSize;
  DrawMode = dmCursor;
  EdMode = edNoth;
  SelArea = {};
  PolyPoints.clear();
  Koord.clear();
  Hint.clear();
}

void TImageMapModel::SetTool(TDrawMode mode) {
  const bool drawingPoly = DrawMode == dmPoly && SelArea.AreaNr < 0 && !PolyPoints.isEmpty();
  // A polygon needs three corners to enclose anything; fewer are dropped.
  if (drawingPoly && mode == dmCursor && PolyPoints.size() >= 3 && Areas) {
    TAreaDataObject a;
    a.Shape = asPoly;
    a.Points = PolyPoints;
    Areas->append(a);
  }
  if (drawingPoly || mode == dmPoly)
    PolyPoints.clear();
  DrawMode = mode;
  EdMode = edNoth;
  SelArea = {};
}

void TImageMapModel::UpdateKoord() {
  switch (DrawMode) {
  case dmPoly: {
    QStringList v;
    for (const QPoint &p : PolyPoints)
      v << u'(' + QString::number(p.x()) + u',' + QString::number(p.y()) + u')';
    Koord = v.join(u',');
    break;
  }
  case dmCircle:
    Koord = QStringLiteral("M=(") + QString::number(CirclePos.Center.x()) + u',' +
            QString::number(CirclePos.Center.y()) + QStringLiteral(") R=") +
            QString::number(CirclePos.Radius);
    break;
  case dmRect:
    Koord = QStringLiteral("LO=(") + QString::number(FramePos.Left) + u',' + QString::number(FramePos.Top) +
            QStringLiteral(") RU=(") + QString::number(FramePos.Right) + u',' +
            QString::number(FramePos.Bottom) + u')';
    break;
  default:
    Koord =
        QStringLiteral("x=") + QString::number(MPos.x()) + QStringLiteral(" y=") + QString::number(MPos.y());
  }
}

void TImageMapModel::Press(QPoint p) {
  MPos = p;
  if (!Areas)
    return;
  switch (DrawMode) {
  case dmDelete: {
    const TSelectedArea s = FindArea(*Areas, p);
    if (s.AreaNr >= 0) {
      const bool vertex = s.AreaShape == asPoly && s.PointNr >= 0;
      if (!ConfirmDelete || ConfirmDelete(vertex)) {
        if (vertex)
          (*Areas)[s.AreaNr].Points.removeAt(s.PointNr);
        else
          Areas->removeAt(s.AreaNr);
      }
    }
    break;
  }
  case dmLink: {
    const TSelectedArea s = FindArea(*Areas, p);
    if (s.AreaNr >= 0 && EditLink)
      EditLink((*Areas)[s.AreaNr]);
    SelArea = {};
    break;
  }
  case dmRect:
  case dmCircle:
    EdMode = edNew;
    FDragged = false;
    break;
  case dmPoly:
    EdMode = edNew;
    PolyPoints << p;
    UpdateKoord();
    break;
  case dmCursor: {
    SelArea = FindArea(*Areas, p);
    if (SelArea.AreaNr < 0)
      break;
    const TAreaDataObject &a = (*Areas)[SelArea.AreaNr];
    switch (a.Shape) {
    case asPoly:
      PolyPoints = a.Points;
      DrawMode = dmPoly;
      break;
    case asCircle:
      CirclePos = CircleOf(a);
      FramePos = {CirclePos.Center.x() - CirclePos.Radius, CirclePos.Center.y() - CirclePos.Radius,
                  CirclePos.Center.x() + CirclePos.Radius, CirclePos.Center.y() + CirclePos.Radius};
      DrawMode = dmCircle;
      break;
    case asRect:
      FramePos = FrameOf(a);
      DrawMode = dmRect;
      break;
    }
    EdMode = SelArea.PointNr < 0 ? edMove : edSize;
    break;
  }
  }
  OldMPos = MPos;
}

void TImageMapModel::Move(QPoint p) {
  MPos = p;
  switch (EdMode) {
  case edNoth:
    if (Areas && (DrawMode == dmCursor || DrawMode == dmLink || DrawMode == dmDelete)) {
      const TSelectedArea s = FindArea(*Areas, p);
      Hint = s.AreaNr >= 0 ? s.Hint : QString();
    }
    Koord = QStringLiteral("x=") + QString::number(p.x()) + QStringLiteral(" y=") + QString::number(p.y());
    break;
  case edMove: {
    const QPoint delta = MPos - OldMPos;
    if (DrawMode == dmPoly) {
      for (QPoint &v : PolyPoints)
        v += delta;
    } else if (DrawMode == dmCircle) {
      const QPoint d = ClampMove(FramePos, delta, PaintSize);
      CirclePos.Center += d;
      FramePos = {FramePos.Left + d.x(), FramePos.Top + d.y(), FramePos.Right + d.x(),
                  FramePos.Bottom + d.y()};
    } else {
      const QPoint d = ClampMove(FramePos, delta, PaintSize);
      FramePos = {FramePos.Left + d.x(), FramePos.Top + d.y(), FramePos.Right + d.x(),
                  FramePos.Bottom + d.y()};
    }
    UpdateKoord();
    OldMPos = MPos;
    break;
  }
  case edSize:
    if (DrawMode == dmPoly) {
      if (SelArea.PointNr >= 0 && SelArea.PointNr < PolyPoints.size())
        PolyPoints[SelArea.PointNr] = p;
    } else if (DrawMode == dmRect) {
      switch (SelArea.PointNr) {
      case 0:
        FramePos.Left = p.x(), FramePos.Top = p.y();
        break;
      case 1:
        FramePos.Right = p.x(), FramePos.Top = p.y();
        break;
      case 2:
        FramePos.Right = p.x(), FramePos.Bottom = p.y();
        break;
      case 3:
        FramePos.Left = p.x(), FramePos.Bottom = p.y();
        break;
      }
    } else if (DrawMode == dmCircle) {
      FramePos = SizeCircleFrame(FramePos, SelArea.PointNr, p);
      CirclePos = {{(FramePos.Left + FramePos.Right) / 2, (FramePos.Top + FramePos.Bottom) / 2},
                   std::abs(FramePos.Top - FramePos.Bottom) / 2};
    }
    UpdateKoord();
    break;
  case edNew:
    if (DrawMode == dmRect) {
      FramePos = {OldMPos.x(), OldMPos.y(), p.x(), p.y()};
      FDragged = true;
    } else if (DrawMode == dmCircle) {
      CirclePos = CircleFromDrag(OldMPos, p);
      FDragged = true;
    }
    UpdateKoord();
    break;
  }
}

void TImageMapModel::Release(QPoint p) {
  if (EdMode == edNoth || !Areas)
    return;
  if (p != MPos)
    Move(p);
  if (EdMode == edNew) {
    TAreaDataObject a;
    if (DrawMode == dmRect && FDragged) {
      // Stored with its corners in order, so the area can be hit and edited again.
      const TFrame f = NormalFrame(FramePos);
      if (f.Left != f.Right && f.Top != f.Bottom) {
        a.Shape = asRect;
        a.Points = {QPoint(f.Left, f.Top), QPoint(f.Right, f.Bottom)};
        Areas->append(a);
      }
    } else if (DrawMode == dmCircle && FDragged && CirclePos.Radius > 0) {
      a.Shape = asCircle;
      a.Points = {CirclePos.Center, QPoint(CirclePos.Radius, 0)};
      Areas->append(a);
    }
    FDragged = false;
  } else if (SelArea.AreaNr >= 0 && SelArea.AreaNr < Areas->size()) {
    TAreaDataObject &a = (*Areas)[SelArea.AreaNr];
    if (DrawMode == dmPoly) {
      a.Points = PolyPoints;
      PolyPoints.clear();
    } else if (DrawMode == dmCircle) {
      a.Points = {CirclePos.Center, QPoint(CirclePos.Radius, 0)};
    } else {
      const TFrame f = NormalFrame(FramePos);
      a.Points = {QPoint(f.Left, f.Top), QPoint(f.Right, f.Bottom)};
    }
    DrawMode = dmCursor;
    SelArea = {};
  }
  EdMode = edNoth;
}

bool TImageMapModel::RubberBandVisible() const {
  if (EdMode == edNew && DrawMode != dmPoly)
    return FDragged;
  return EdMode != edNoth || (DrawMode == dmPoly && !PolyPoints.isEmpty());
}
