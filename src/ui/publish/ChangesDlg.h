#pragma once
// The list of a dry run: what a publishing run would send and delete, before anything happens.
#include "core/publish/Publisher.h"

#include <QDialog>

class TChangesDialog : public QDialog {
  Q_OBJECT
public:
  TChangesDialog(const QList<TPlannedChange> &plan, QWidget *parent = nullptr);
  // "n file(s) to send (new a, newer b, forced c), m file(s) to delete".
  static QString CountsText(const QList<TPlannedChange> &plan);
  // Shows the list; true when the user goes on with the transfer.
  static bool Ask(QWidget *parent, const QList<TPlannedChange> &plan);
};
