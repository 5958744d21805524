#include "ui/app/HauptFormDesktop.h"
#include "core/common/Settings.h"
#include "core/common/Translate.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace {

class TFileDropFilter : public QObject {
public:
  explicit TFileDropFilter(THauptForm *form) : QObject(form), F(form) {}

protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    const QEvent::Type t = e->type();
    if (t != QEvent::DragEnter && t != QEvent::DragMove && t != QEvent::Drop)
      return false;
    if (!o->isWidgetType() || static_cast<QWidget *>(o)->window() != F)
      return false;
    auto *de = static_cast<QDropEvent *>(e);
    const QStringList files = DroppedFiles(de->mimeData());
    if (files.isEmpty()) {
      // Text dragged inside an editor moves only where the editor option allows it.
      auto *editor = qobject_cast<TTextBuffer *>(static_cast<QWidget *>(o)->parentWidget());
      if (editor && !(editor->Options() & eoDragDropEditing) && de->source() &&
          (de->source() == editor || editor->isAncestorOf(qobject_cast<QWidget *>(de->source())))) {
        de->setDropAction(Qt::IgnoreAction);
        de->ignore();
        return true;
      }
      return false;
    }
    de->setDropAction(Qt::CopyAction);
    de->accept();
    if (t == QEvent::Drop) {
      // Opening may ask questions: not inside the drag's own event loop.
      QPointer<THauptForm> form(F);
      QTimer::singleShot(0, F, [form, files] {
        if (form)
          OpenOutsideFiles(form, files, true);
      });
    }
    return true;
  }

private:
  THauptForm *F;
};

// Every file dialog opens in the detail view, large enough for name, size, type and date, and
// keeps the size the user gives it (in the settings).
class TFileDialogSizer : public QObject {
public:
  explicit TFileDialogSizer(THauptForm *form) : QObject(form), F(form) {}

protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
      return false;
    auto *dlg = qobject_cast<QFileDialog *>(o);
    if (!dlg)
      return false;
    TFormSettings &s = F->Settings.Form;
    if (e->type() == QEvent::Hide) {
      s.FileDlgWidth = dlg->width();
      s.FileDlgHeight = dlg->height();
      return false;
    }
    dlg->setViewMode(QFileDialog::Detail);
    QSize size(s.FileDlgWidth, s.FileDlgHeight);
    if (size.width() < 400 || size.height() < 300)
      size = FileDialogSize(dlg);
    if (QScreen *screen = F->screen())
      size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    dlg->resize(size);
    if (auto *view = dlg->findChild<QTreeView *>(QStringLiteral("treeView"))) {
      // Name takes what the other three columns leave.
      view->header()->setStretchLastSection(false);
      view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
      for (int c = 1; c < view->header()->count(); ++c)
        view->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    KeepWindowOnScreen(dlg,
                       F->isVisible()
                           ? F->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2)
                           : dlg->pos(),
                       false);
    return false;
  }

private:
  // Room for a long name and the size, type and date columns, by the dialog's font.
  static QSize FileDialogSize(QWidget *dlg) {
    const QFontMetrics fm(dlg->font());
    const int columns = fm.horizontalAdvance(QStringLiteral("M")) * 40 +
                        fm.horizontalAdvance(QStringLiteral("1,023.9 KiB")) +
                        fm.horizontalAdvance(QStringLiteral("HTML document file")) +
                        fm.horizontalAdvance(QStringLiteral("31/12/2099 23:59")) + 200;
    return {qMax(860, columns), qMax(540, fm.height() * 28)};
  }

  THauptForm *F;
};

} // namespace

QStringList DroppedFiles(const QMimeData *data) {
  QStringList files;
  if (!data || !data->hasUrls())
    return files;
  for (const QUrl &url : data->urls())
    if (url.isLocalFile())
      files << url.toLocalFile();
  return files;
}

void OpenOutsideFiles(THauptForm *form, const QStringList &files, bool bringToFront) {
  if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != form) {
    QPointer<THauptForm> f(form);
    QTimer::singleShot(250, form, [f, files, bringToFront] {
      if (f)
        OpenOutsideFiles(f, files, bringToFront);
    });
    return;
  }
  if (bringToFront) {
    form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
    form->show();
    form->raise();
    form->activateWindow();
  }
  QStringList skipped;
  for (const QString &f : files) {
    const QFileInfo fi(f);
    if (fi.isFile())
      form->OpenTextFile(fi.absoluteFilePath());
    else
      skipped << QDir::toNativeSeparators(fi.absoluteFilePath());
  }
  if (!skipped.isEmpty())
    InfoBox(_("Only files open as documents; these were left out:") + u'\n' + skipped.join(u'\n'));
}

void InstallFileDrops(THauptForm *form) {
  form->setAcceptDrops(true);
  qApp->installEventFilter(new TFileDropFilter(form));
  qApp->installEventFilter(new TFileDialogSizer(form));
}
