#pragma once
// "Insert image": the img element's source (a file or an image URL) with a preview, its pixel
// size and the common attributes.
#include <QDialog>
#include <QImage>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class THistoryCombo;
class THistoryList;

// Shows a picture at the top-left corner, unscaled when it fits, else shrunk to fit with its
// aspect ratio kept.
class TImagePreview : public QWidget {
public:
  explicit TImagePreview(QWidget *parent = nullptr);
  void SetImage(const QImage &image);
  const QImage &Image() const { return FImage; }
  // Where the picture is drawn in a box of the given size.
  static QRect PictureRect(QSize picture, QSize box);

protected:
  void paintEvent(QPaintEvent *) override;

private:
  QImage FImage;
};

class TImageDialog : public QDialog {
  Q_OBJECT
public:
  explicit TImageDialog(QWidget *parent = nullptr);

  // image: the reference as written in the page (empty for a new element); attributes: the text
  // after the src value. On OK both hold the new values.
  bool Execute(QPoint pos, const QString &folder, QString &image, QString &attributes);
  void Begin(const QString &folder, const QString &image, const QString &attributes);
  void End(QString &image, QString &attributes);

  // The file button after the user chose fileName.
  void FileChosen(const QString &fileName);
  // An entry picked from the history.
  void HistoryChosen(const QString &entry);
  // "Calculate size".
  void CalcSize();
  void Reset();
  bool LoadImageFile(const QString &fileName);
  bool LoadUrlImage(const QString &url);

  THistoryList *History() const;
  int LinkCase = 0;   // TLinkCase
  QString DataFolder; // the per-user folder that receives the copy of a downloaded image
  QString ProgramName = QStringLiteral("Velmo");
  int TimeoutMs = 15000;

  THistoryCombo *URLCombo;
  QToolButton *btnFile, *btnCopy;
  QLineEdit *edHinweis, *edTitle, *edWidth, *edHeight;
  QPushButton *btnCalc, *btnReset;
  QSpinBox *udBorder, *udHSpace, *udVSpace;
  QComboBox *cbAlign;
  TImagePreview *PaintBox;

private:
  void ChooseFile();
  void ShowSize(bool ok);
  QString FPath, ImgName, LastPath, FUseMap, FOnClick;
  bool New = false;
};
