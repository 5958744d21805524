#pragma once
// The "Local anchors" page of the left page control: where to look (active file, open files,
// project), the order (by line or by name), search, export, the link check, progress, status and
// the tree of anchors. The main window runs the commands (it knows the documents).
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class TSearchResultsTree;

enum TAnchorScope { asActiveFile, asOpenFiles, asProject };

class TAnchorPage : public QWidget {
  Q_OBJECT
public:
  explicit TAnchorPage(QWidget *parent = nullptr);

  QRadioButton *rbAnchorCurrent, *rbAnchorOpen, *rbAnchorProject;
  QRadioButton *rbSortLines, *rbSortNames;
  QPushButton *btnAnchorSearch, *btnCheckLinks;
  QToolButton *btnAnchorExport;
  QProgressBar *pbAnchor;
  QLabel *lblAnchorStatus;
  TSearchResultsTree *tvAnchors;

  TAnchorScope Scope() const;
  bool SortByName() const;

signals:
  void SearchRequested();
  void ExportRequested();
  void CheckLinksRequested();
};
