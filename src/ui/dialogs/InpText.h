#pragma once
// Plain text input: one field, or two side by side.
#include <QDialog>

class QLabel;
class QLineEdit;

class TTextEingabe : public QDialog {
  Q_OBJECT
public:
  explicit TTextEingabe(QWidget *parent = nullptr);

  static bool Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                      QWidget *parent = nullptr);
  // Two fields of 166 pixels side by side.
  static bool Execute(QPoint pos, const QString &title, const QString &label1, QString &text1,
                      const QString &label2, QString &text2, QWidget *parent = nullptr);

private:
  bool Run(QPoint pos, const QString &title, const QString &label1, QString &text1, const QString &label2,
           QString *text2);
  QLabel *lbText[2];
  QLineEdit *edText[2];
};
