#pragma once
// Picks one item (or several) of a list, e.g. a local anchor; "Prompt" lets the user type a name
// instead.
#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

enum TSelectOption { soPrompt = 1, soEdit = 2, soOrder = 4, soMulti = 8, soDelAll = 16, soNoConfirm = 32 };

class TSelectFromListDialog : public QDialog {
  Q_OBJECT
public:
  enum TResult { srOk = 1, srCancel = 2, srPrompt = 6 };
  explicit TSelectFromListDialog(QWidget *parent = nullptr);

  // 1 OK (chosen holds the item, or with soMulti the chosen items joined by "|"), 2 Cancel,
  // 6 Prompt.
  int Select(QPoint pos, const QString &caption, QString &chosen, const QStringList &items, bool prompt,
             const QString &hint, const QString &description, int options = 0);

  // The steps of Select, for callers that drive the dialog themselves.
  void Setup(const QString &caption, const QString &chosen, const QStringList &items, int options,
             const QString &hint, const QString &description);
  QString Chosen() const;

  QListWidget *lbxStringList;
  QLabel *lbDesc;
  QPushButton *btnPrompt;

private:
  int FOptions = 0;
};
