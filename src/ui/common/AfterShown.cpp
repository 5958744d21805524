#include "ui/common/AfterShown.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
class TAfterShown : public QObject {
public:
  TAfterShown(QWidget *window, std::function<void()> work, QObject *context)
      : QObject(window), FWork(std::move(work)), FContext(context), FHasContext(context) {
    window->installEventFilter(this);
  }

  void RunSoon() {
    FDue = true;
    QTimer::singleShot(0, this, [this] {
      if (!FHasContext || FContext)
        FWork();
      deleteLater();
    });
  }

protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    if (e->type() == QEvent::Paint && !FDue) {
      // After the paint has reached the screen, not in the middle of it.
      RunSoon();
    }
    return QObject::eventFilter(o, e);
  }

private:
  std::function<void()> FWork;
  QPointer<QObject> FContext;
  bool FHasContext;
  bool FDue = false;
};
} // namespace

void RunAfterShown(QWidget *window, std::function<void()> work, QObject *context) {
  auto *w = new TAfterShown(window, std::move(work), context);
  if (window->isVisible() && window->testAttribute(Qt::WA_Mapped))
    w->RunSoon();
}
