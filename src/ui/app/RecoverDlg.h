#pragma once
// The question after a crash: an autosave copy holds text the document's file does not. Shows
// what the copy holds against the file and lets the user take it, throw it away or decide later.
#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QLabel;

enum TRecoverChoice { rcRecover, rcDiscard, rcLater };

class TRecoverDialog : public QDialog {
  Q_OBJECT
public:
  explicit TRecoverDialog(QWidget *parent = nullptr);
  // documentName is empty for a document that never had a name; diff is a unified difference.
  TRecoverChoice Execute(const QString &copyName, const QString &documentName, const QString &diff);

  // Tests answer without a window; the responder gets the copy's name and the difference.
  using TResponder = std::function<TRecoverChoice(const QString &copyName, const QString &diff)>;
  static void SetResponder(TResponder responder);
  static TRecoverChoice Ask(QWidget *parent, const QString &copyName, const QString &documentName,
                            const QString &diff);

private:
  QLabel *FInfo;
  QPlainTextEdit *FDiff;
  TRecoverChoice FChoice = rcLater;
};
