#pragma once
// The image map editor: rectangles, circles and polygons drawn with the mouse on the picture,
// each with a link, an alternative text and a title.
#include "core/dialogs/ImageMap.h"

#include <QDialog>
#include <QImage>
#include <functional>

class QAction;
class QLineEdit;
class QScrollArea;
struct TFormSettings;

// The picture with the areas; mouse positions are picture pixels.
class TMapCanvas : public QWidget {
public:
  TMapCanvas(TImageMapModel &model, QWidget *parent);
  void SetPicture(const QImage &picture);
  // The picture with the areas as they are painted, the edited shape XOR-ed on top.
  QImage Render() const;
  std::function<void()> Changed;

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  void UpdateCursor();
  TImageMapModel &FModel;
  QImage FPicture;
};

class TImageMapEditor : public QDialog {
  Q_OBJECT
public:
  explicit TImageMapEditor(QWidget *parent = nullptr);

  // image: the src value as written in the page; relative names resolve against folder. areas is
  // changed in place (also on Cancel: the caller then discards it). True on OK.
  bool Execute(const QString &folder, const QString &image, TAreaList &areas, const QStringList &anchors,
               const QString &mapName);
  // The steps of Execute: false (after the message) when the picture cannot be loaded.
  bool Begin(const QString &folder, const QString &image, TAreaList &areas, const QStringList &anchors,
             const QString &mapName);
  void Finish(bool ok);

  void LoadGeometry(const TFormSettings &s);
  void StoreGeometry(TFormSettings &s) const;

  // Edits an area's link (address, alternative text, title); true on OK.
  std::function<bool(const QString &folder, TAreaDataObject &area, const QStringList &anchors)> EditAreaLink;

  TImageMapModel Model;
  TMapCanvas *Canvas;
  QAction *ActionCursor, *ActionRect, *ActionCircle, *ActionPoly, *ActionLink, *ActionDelete;
  QLineEdit *edKoord, *edHint;

private:
  void UpdateFields();
  QScrollArea *FScroll;
  QString FPath;
  QStringList FAnchors;
  TAreaList *FAreas = nullptr;
};
