// The peer of the start-up benchmark: a window holding one QsciScintilla with the HTML lexer.
#include <QApplication>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QsciScintilla editor;
  QsciLexerHTML lexer;
  editor.setUtf8(true);
  editor.setLexer(&lexer);
  editor.setWindowTitle(QStringLiteral("MinimalEditor"));
  editor.resize(885, 667);
  editor.show();
  return QApplication::exec();
}
