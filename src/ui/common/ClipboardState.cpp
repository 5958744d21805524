#include "ui/common/ClipboardState.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace {
bool Asking = false;
int Known = -1; // -1 not asked since the last change, else 0 or 1
} // namespace

bool ClipboardHasText() {
  static const bool watching = [] {
    // Made before any document listens, so the answer is forgotten before they ask again.
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, qApp, [] { Known = -1; });
    return true;
  }();
  Q_UNUSED(watching);
  if (!Asking)
    return true;
  if (Known < 0) {
    const QMimeData *md = QApplication::clipboard()->mimeData();
    Known = md && md->hasText() ? 1 : 0;
  }
  return Known == 1;
}

void StartAskingClipboard() {
  Asking = true;
  Known = -1;
}
