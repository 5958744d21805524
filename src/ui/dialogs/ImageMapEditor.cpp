#include "ui/dialogs/ImageMapEditor.h"
#include "core/common/Settings.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/ImageLoad.h"

#include <QActionGroup>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

TMapCanvas::TMapCanvas(TImageMapModel &model, QWidget *parent) : QWidget(parent), FModel(model) {
  setMouseTracking(true);
}

void TMapCanvas::SetPicture(const QImage &picture) {
  FPicture = picture.convertToFormat(QImage::Format_RGB32);
  setFixedSize(FPicture.size() + QSize(1, 1));
  update();
}

namespace {
void DrawShape(QPainter &p, TDrawMode mode, const TImageMapModel &m) {
  switch (mode) {
  case dmRect: {
    const TFrame f = NormalFrame(m.FramePos);
    p.drawRect(QRect(QPoint(f.Left, f.Top), QPoint(f.Right, f.Bottom)));
    break;
  }
  case dmCircle:
    p.drawEllipse(m.CirclePos.Center, m.CirclePos.Radius, m.CirclePos.Radius);
    break;
  case dmPoly:
    if (m.PolyPoints.size() == 1)
      p.drawEllipse(m.PolyPoints[0], 1, 1);
    else if (m.PolyPoints.size() == 2)
      p.drawLine(m.PolyPoints[0], m.PolyPoints[1]);
    else
      p.drawPolygon(m.PolyPoints.constData(), int(m.PolyPoints.size()));
    break;
  default:
    break;
  }
}
} // namespace

QImage TMapCanvas::Render() const {
  QImage buffer(FPicture.size() + QSize(1, 1), QImage::Format_RGB32);
  buffer.fill(Qt::white);
  QPainter p(&buffer);
  p.drawImage(0, 0, FPicture);
  // The stored areas tint the picture (AND with a light blue) and keep it visible beneath.
  p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
  p.setPen(Qt::black);
  p.setBrush(QColor(176, 219, 252));
  const bool editing = FModel.EdMode == edMove || FModel.EdMode == edSize;
  if (FModel.Areas)
    for (qsizetype i = 0; i < FModel.Areas->size(); ++i) {
      const TAreaDataObject &a = (*FModel.Areas)[i];
      if ((editing && i == FModel.SelArea.AreaNr) || !a.HasGeometry())
        continue;
      if (a.Shape == asRect) {
        const TFrame f = FrameOf(a);
        p.drawRect(QRect(QPoint(f.Left, f.Top), QPoint(f.Right, f.Bottom)));
      } else if (a.Shape == asCircle) {
        const TCircle c = CircleOf(a);
        p.drawEllipse(c.Center, c.Radius, c.Radius);
      } else {
        p.drawPolygon(a.Points.constData(), int(a.Points.size()));
      }
    }
  // The rubber band is XOR-ed in white, so it shows on any picture.
  if (FModel.RubberBandVisible()) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(Qt::white);
    p.setBrush(Qt::NoBrush);
    DrawShape(p, FModel.DrawMode, FModel);
  }
  return buffer;
}

void TMapCanvas::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, Render());
}

void TMapCanvas::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton)
    return;
  FModel.Press(e->position().toPoint());
  update();
  if (Changed)
    Changed();
}

void TMapCanvas::mouseMoveEvent(QMouseEvent *e) {
  FModel.Move(e->position().toPoint());
  if (FModel.EdMode == edNoth)
    UpdateCursor();
  update();
  if (Changed)
    Changed();
}

void TMapCanvas::mouseReleaseEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton)
    return;
  FModel.Release(e->position().toPoint());
  unsetCursor();
  update();
  if (Changed)
    Changed();
}

void TMapCanvas::UpdateCursor() {
  Qt::CursorShape shape = Qt::ArrowCursor;
  if (FModel.Areas && (FModel.DrawMode == dmCursor || FModel.DrawMode == dmLink)) {
    const TSelectedArea s = FindArea(*FModel.Areas, FModel.MPos);
    if (s.AreaNr >= 0) {
      if (FModel.DrawMode == dmLink)
        shape = Qt::WhatsThisCursor;
      else if (s.PointNr < 0)
        shape = Qt::OpenHandCursor;
      else if (s.AreaShape == asPoly)
        shape = Qt::SizeAllCursor;
      else
        shape = s.PointNr % 2 ? Qt::SizeBDiagCursor : Qt::SizeFDiagCursor;
    }
  }
  setCursor(shape);
}

TImageMapEditor::TImageMapEditor(QWidget *parent) : QDialog(parent) {
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  auto *layout = new QVBoxLayout(this);
  FScroll = new QScrollArea(this);
  Canvas = new TMapCanvas(Model, FScroll);
  Canvas->setObjectName(QStringLiteral("Canvas"));
  FScroll->setWidget(Canvas);
  FScroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(FScroll, 1);

  auto *bar = new QHBoxLayout;
  auto *tools = new QToolBar(this);
  auto *group = new QActionGroup(this);
  const auto tool = [&](const char *name, const QString &caption, const QString &hint, TDrawMode mode) {
    QAction *a = tools->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(hint);
    a->setCheckable(true);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, mode] {
      Model.SetTool(mode);
      Canvas->update();
      UpdateFields();
    });
    return a;
  };
  ActionCursor = tool("ActionCursor", _("&Select"), _("Select range"), dmCursor);
  ActionRect = tool("ActionRect", _("&Rectangle"), _("Rectangular area"), dmRect);
  ActionCircle = tool("ActionCircle", _("&Circle"), _("Round area"), dmCircle);
  ActionPoly = tool("ActionPoly", _("&Polygon"), _("Polygonal area"), dmPoly);
  ActionLink = tool("ActionLink", _("&Link"), _("Link of area"), dmLink);
  ActionDelete = tool("ActionDelete", _("&Delete"), _("Delete area"), dmDelete);
  bar->addWidget(tools);
  edKoord = new QLineEdit(this);
  edKoord->setObjectName(QStringLiteral("edKoord"));
  edKoord->setReadOnly(true);
  edHint = new QLineEdit(this);
  edHint->setObjectName(QStringLiteral("edHint"));
  edHint->setReadOnly(true);
  bar->addWidget(edKoord, 1);
  bar->addWidget(edHint, 1);
  bar->addWidget(AddOkCancel(this));
  layout->addLayout(bar);

  Canvas->Changed = [this] { UpdateFields(); };
  Model.ConfirmDelete = [this](bool vertex) {
    TMsgOptions o;
    o.Place = mpPoint;
    o.At = QCursor::pos();
    o.Caption = windowTitle();
    return ShowMessage(mkConfirm, vertex ? _("Delete point?") : _("Delete region?"), o) == mrYes;
  };
  Model.EditLink = [this](TAreaDataObject &area) {
    if (EditAreaLink)
      EditAreaLink(FPath, area, FAnchors);
  };
  resize(600, 450);
}

void TImageMapEditor::UpdateFields() {
  edKoord->setText(Model.Koord);
  edHint->setText(Model.Hint);
}

bool TImageMapEditor::Begin(const QString &folder, const QString &image, TAreaList &areas,
                            const QStringList &anchors, const QString &mapName) {
  FPath = folder;
  FAnchors = anchors;
  const QString file = QDir(folder).absoluteFilePath(image);
  const TImageLoad r = LoadImageFile(file);
  if (!r.Ok()) {
    // An undecodable picture names the file; a missing one is named by its message already.
    ShowMessage(mkError, QFileInfo(file).isFile() ? r.Error + QStringLiteral("\r\n") + image : r.Error);
    return false;
  }
  setWindowTitle(_("Image-Map-Editor - Map: ") + mapName);
  FAreas = &areas;
  Canvas->SetPicture(r.Image);
  Model.Start(&areas, r.Image.size() + QSize(1, 1));
  ActionCursor->setChecked(true);
  UpdateFields();
  return true;
}

void TImageMapEditor::Finish(bool ok) {
  if (ok && FAreas)
    SetDefaultAlts(*FAreas);
  Model.Areas = nullptr;
  FAreas = nullptr;
}

bool TImageMapEditor::Execute(const QString &folder, const QString &image, TAreaList &areas,
                              const QStringList &anchors, const QString &mapName) {
  const QString old = QDir::currentPath();
  if (!folder.isEmpty())
    QDir::setCurrent(folder);
  bool ok = Begin(folder, image, areas, anchors, mapName);
  if (ok) {
    ok = exec() == QDialog::Accepted;
    Finish(ok);
  }
  QDir::setCurrent(old);
  return ok;
}

void TImageMapEditor::LoadGeometry(const TFormSettings &s) {
  setGeometry(s.Left, s.Top, s.Width, s.Height);
  if (s.State == 2)
    setWindowState(Qt::WindowMaximized);
}

void TImageMapEditor::StoreGeometry(TFormSettings &s) const {
  s.State = isMaximized() ? 2 : isMinimized() ? 1 : 0;
  if (s.State == 0) {
    const QRect g = geometry();
    s.Left = g.left();
    s.Top = g.top();
    s.Width = g.width();
    s.Height = g.height();
  }
}
