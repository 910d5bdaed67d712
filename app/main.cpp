#include "app/main_window.h"
#include "app/script_edit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char *argv[])
{
    // Without a display the toolkit would abort with a message about
    // platform plugins; say plainly what is missing and how to run anyway.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool needsX = !platform || std::string_view(platform).starts_with("xcb");
    if (needsX && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("scrivlet: no display found (DISPLAY is not set); to run without one: xvfb-run scrivlet\n", stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // The recovery journals live in the data folder named after the program.
    QApplication::setApplicationName(QStringLiteral("scrivlet"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QFont uiFont = gothicFont();
    uiFont.setPointSize(9);
    uiFont.setBold(false);
    QApplication::setFont(uiFont);

    // The interface is Japanese, so Qt's own buttons and dialogs are too.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    MainWindow window;
    return QApplication::exec();
}
