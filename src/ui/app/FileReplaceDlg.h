#pragma once
// The question asked before each replacement of a search in files: the file, the line, the text
// and its replacement; the answers Yes, No, All in this file and Cancel.
#include "core/app/FileSearch.h"

#include <QDialog>
#include <functional>

class QLabel;

class TFileReplaceDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFileReplaceDialog(QWidget *parent = nullptr);
  TFileReplaceAnswer Execute(QPoint pos, const TReplaceQuestion &q);

  // Tests answer without a user.
  static void SetResponder(std::function<TFileReplaceAnswer(const TReplaceQuestion &)> responder);

private:
  QLabel *lblFile, *lblLine, *lblFind, *lblReplace;
  TFileReplaceAnswer FAnswer = frCancel;
};
