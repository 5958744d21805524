#pragma once
// "Options for removing HTML tags".
#include "core/editor/RemoveTags.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

class TRemoveTagsDialog : public QDialog {
  Q_OBJECT
public:
  explicit TRemoveTagsDialog(QWidget *parent = nullptr);

  // Shows options; OK copies the controls back and returns true, Cancel leaves them unchanged.
  bool Execute(TRemoveTagsOptions &options);
  void Fill(const TRemoveTagsOptions &options);
  void Store(TRemoveTagsOptions &options) const;

  QCheckBox *cbWrap, *cbParagraph, *cbNewline, *cbHeadLine, *cbListLine, *cbTableData, *cbExtraLine;
  QSpinBox *edLineLength;
};
