#pragma once
// The "Local anchors" page of the left page control: where to look (active file, open files,
// project), the order (by line or by name), search, export, the link check, progress, status and
// the tree of anchors. The main window runs the commands (it knows the documents).
#include "ui/common/LazyPage.h"
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class TSearchResultsTree;

enum TAnchorScope { asActiveFile, asOpenFiles, asProject };

class TAnchorPage : public TLazyPage {
  Q_OBJECT
public:
  explicit TAnchorPage(QWidget *parent = nullptr);

  // Made by EnsureBuilt().
  QRadioButton *rbAnchorCurrent = nullptr, *rbAnchorOpen = nullptr, *rbAnchorProject = nullptr;
  QRadioButton *rbSortLines = nullptr, *rbSortNames = nullptr;
  QPushButton *btnAnchorSearch = nullptr, *btnCheckLinks = nullptr;
  QToolButton *btnAnchorExport = nullptr;
  QProgressBar *pbAnchor = nullptr;
  QLabel *lblAnchorStatus = nullptr;
  TSearchResultsTree *tvAnchors = nullptr;

  TAnchorScope Scope() const;
  bool SortByName() const;

signals:
  void SearchRequested();
  void ExportRequested();
  void CheckLinksRequested();

protected:
  void Build() override;
};
