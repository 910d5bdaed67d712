// The start-up baseline: the toolkit's bare main window with a plain text
// editor holding the starting document, the size of the program's window.
#include "markup/markup.h"

#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *edit = new QPlainTextEdit;
    window.setCentralWidget(edit);
    window.resize(656, 548);
    edit->setPlainText(QString::fromUtf16(markup::startingDocument.data(), qsizetype(markup::startingDocument.size())));
    window.show();
    return QApplication::exec();
}
