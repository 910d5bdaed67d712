#include "app/command_line.h"
#include "app/main_window.h"
#include "editor/script_edit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Help and version go to standard output; a refusal goes with its usage to
// standard error. Returns the status to end with.
int answer(const commandline::Request &request)
{
    std::FILE *stream = request.action == commandline::Request::Action::Print ? stdout : stderr;
    std::fputs(request.output.toLocal8Bit().constData(), stream);
    return request.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help and version need no display. Anything else is read again once
    // the toolkit has taken its own options (-style, -platform…) out.
    const QString version = QStringLiteral(SCRIVLET_VERSION);
    const commandline::Request early = commandline::parse(argumentsOf(argc, argv), version);
    if (early.action == commandline::Request::Action::Print)
        return answer(early);

    // Without a display the toolkit would abort with a message about
    // platform plugins; say plainly what is missing and how to run anyway.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool needsX = !platform || std::string_view(platform).starts_with("xcb");
    if (needsX && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        // A command line that could not run anyway is the first thing to mend.
        if (early.action == commandline::Request::Action::Refuse)
            return answer(early);
        std::fputs("scrivlet: no display found (DISPLAY is not set); to run without one: xvfb-run scrivlet\n", stderr);
        return 1;
    }

    QApplication::setApplicationName(QStringLiteral("scrivlet"));
    QApplication::setApplicationVersion(version);
    QApplication app(argc, argv);
    // Read before Qt's Japanese texts are in: the usage is in English.
    const commandline::Request request = commandline::parse(QApplication::arguments(), version);
    if (request.action != commandline::Request::Action::Run)
        return answer(request);
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
    if (!request.file.isEmpty())
        window.openFile(request.file);
    return QApplication::exec();
}
