#include "app/command_line.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "editor/script_edit.h"

#include <QApplication>
#include <QTranslator>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Why the X display the toolkit would use cannot be used, or nothing.
std::string displayProblem()
{
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return "no display found (DISPLAY is not set)";
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool broken = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return broken ? "the display \"" + std::string(display) + "\" cannot be reached" : std::string();
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
    const commandline::Request early = commandline::parse(commandline::argumentsOf(argc, argv), version);
    if (early.action == commandline::Request::Action::Print)
        return answer(early);

    // Without a display the toolkit would abort with a message about
    // platform plugins; say plainly what is missing and how to run anyway.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool needsX = !platform || std::string_view(platform).starts_with("xcb");
    if (needsX && !(std::getenv("WAYLAND_DISPLAY") && !std::getenv("DISPLAY"))) {
        if (const std::string problem = displayProblem(); !problem.empty()) {
            // A command line that could not run anyway is the first thing to mend.
            if (early.action == commandline::Request::Action::Refuse)
                return answer(early);
            std::fprintf(stderr, "scrivlet: %s; to run without one: xvfb-run scrivlet\n", problem.c_str());
            return 2;
        }
    }

    QApplication::setApplicationName(QStringLiteral("scrivlet"));
    QApplication::setApplicationVersion(version);
    QApplication app(argc, argv);
    // Read before Qt's Japanese texts are in: the usage is in English. The
    // toolkit has taken its own options out of argv by now.
    const commandline::Request request = commandline::parse(commandline::argumentsOf(argc, argv), version);
    if (request.action != commandline::Request::Action::Run)
        return answer(request);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(interfaceFont());

    // The interface is Japanese, so Qt's own buttons and dialogs are too.
    QTranslator qtJapanese;
    speakJapanese(qtJapanese);

    MainWindow window;
    if (!request.file.isEmpty())
        window.openFile(request.file);
    return QApplication::exec();
}
