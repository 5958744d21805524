#pragma once
// The start-up choice between the listed projects.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QRadioButton;

class TSelectProjectDialog : public QDialog {
  Q_OBJECT
public:
  // Modal results of Execute.
  enum { mrOpen = 1, mrCancel = 2, mrOther = 4, mrNew = 6 };

  explicit TSelectProjectDialog(QWidget *parent = nullptr);

  // projects are the names in list order; index is the position selected at the start and, after
  // "Open", the chosen one.
  int Execute(const QString &title, const QStringList &projects, int &index);

  QListWidget *ProjectList() const { return lvProjects; }

private:
  void Sort(bool alphabetical);
  void Finish(int result);

  QListWidget *lvProjects;
  QRadioButton *rbAlpha, *rbUnsorted;
};
