#pragma once
// Client-side image maps: the areas of a map element as read from and written to the page, and
// the geometry of the map editor (hit tests, drawing, moving and sizing shapes). The editor
// window only paints and forwards the mouse.
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>

enum TAreaShape { asRect = 0, asCircle = 1, asPoly = 2 };

struct TAreaDataObject {
  TAreaShape Shape = asRect;
  // rectangle: two corners; circle: centre and (radius, 0); polygon: the vertices in order.
  QList<QPoint> Points;
  QString Link, Alt, Title;
  int PtCnt() const { return int(Points.size()); }
  // Enough points for its shape (areas read with missing or short coords are not).
  bool HasGeometry() const;
  bool operator==(const TAreaDataObject &) const = default;
};
using TAreaList = QList<TAreaDataObject>;

// The value of name="..." in a tag (case ignored), up to the next double quote; empty if none.
QString GetAttrValue(const QString &tag, const QString &name);
TAreaShape GetAreaShape(const QString &areaTag);
// Reads one area tag ("<area " up to its ">").
TAreaDataObject ReadArea(const QString &areaTag);

// An img tag taken apart for the map command: its src value, the text after the value's closing
// quote up to ">", and the name of usemap="#name" in that rest (empty when none).
struct TImageTagInfo {
  QString Src, Rest, MapName;
};
TImageTagInfo ReadImageTag(const QString &tag);
// The tag with usemap added (before a closing "/" of "/>").
QString ImageTagWithMap(const TImageTagInfo &info, const QString &mapName);

// The map of that name in the page text: Start at its "<map ", End just after its "</map>"
// (Start -1 when there is none), and its areas in order.
struct TMapBlock {
  qsizetype Start = -1, End = -1;
  TAreaList Areas;
};
TMapBlock FindMap(const QString &text, const QString &mapName);
// The map element: each area on its own line indented by tabWidth blanks, lines ended by CR LF,
// no line break after "</map>".
QString MapText(const QString &mapName, const TAreaList &areas, int tabWidth);
// Areas without an alternative text get "Bereich " and their position (from 1).
void SetDefaultAlts(TAreaList &areas);

// Editing.
struct TFrame {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TFrame &) const = default;
};
struct TCircle {
  QPoint Center;
  int Radius = 0;
  bool operator==(const TCircle &) const = default;
};
struct TSelectedArea {
  TAreaShape AreaShape = asRect;
  int AreaNr = -1;  // -1: none
  int PointNr = -1; // the grabbed handle or vertex, -1: none
  QString Hint;     // Alt ": " Link
};
int RectHandle(const TFrame &f, QPoint p);    // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
int CircleHandle(const TCircle &c, QPoint p); // the same corners, at 0.7 radius on the diagonals
int PolyVertex(const QList<QPoint> &poly, QPoint p);
bool PolyContains(const QList<QPoint> &poly, QPoint p); // non-zero winding
TFrame NormalFrame(const TFrame &f);
TFrame FrameOf(const TAreaDataObject &a); // a rectangle's corners, normalised
TCircle CircleOf(const TAreaDataObject &a);
// The first area (in list order) holding p, with its grabbed handle.
TSelectedArea FindArea(const TAreaList &areas, QPoint p);
// A circle drawn by dragging from start to p.
TCircle CircleFromDrag(QPoint start, QPoint p);
// A circle's bounding square resized by dragging handle to p, the opposite corner fixed.
TFrame SizeCircleFrame(const TFrame &square, int handle, QPoint p);
// The part of a move by delta that keeps frame inside a picture of size.
QPoint ClampMove(const TFrame &frame, QPoint delta, QSize size);

enum TDrawMode { dmCursor, dmLink, dmDelete, dmRect, dmCircle, dmPoly };
enum TEditMode { edNoth, edNew, edSize, edMove };

// The editor's state machine over the caller's area list: the window passes mouse positions in
// picture pixels and paints what it finds here.
class TImageMapModel {
public:
  TAreaList *Areas = nullptr;
  QSize PaintSize;
  TDrawMode DrawMode = dmCursor;
  TEditMode EdMode = edNoth;
  QPoint MPos, OldMPos;
  TFrame FramePos;
  TCircle CirclePos;
  QList<QPoint> PolyPoints;
  TSelectedArea SelArea;
  QString Koord, Hint; // the coordinate and hint fields

  // Asked before deleting (vertex: only a polygon's point); true deletes.
  std::function<bool(bool vertex)> ConfirmDelete;
  // Edits an area's link, alternative text and title.
  std::function<void(TAreaDataObject &area)> EditLink;

  void Start(TAreaList *areas, QSize paintSize);
  void SetTool(TDrawMode mode);
  void Press(QPoint p);
  void Move(QPoint p);
  void Release(QPoint p);
  // What is drawn as the rubber band: the shape of DrawMode while a drag or a polygon is under way.
  bool RubberBandVisible() const;

private:
  void UpdateKoord();
  bool FDragged = false;
};
