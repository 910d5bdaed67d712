// The program's command line, `scrivlet [FILE]`, read without a window so
// that it can be answered before the toolkit needs a display.
#pragma once

#include <QString>
#include <QStringList>

namespace commandline {

struct Request {
    enum class Action {
        Run,      // start the editor, opening `file` if it is not empty
        Print,    // write `output` to standard output and end with status 0
        Refuse,   // write `output` to standard error and end with status 2
    };
    Action action = Action::Run;
    QString file;    // as given: a relative path stays relative to the current folder
    QString output;  // the help, the version line, or the complaint and the usage
    int exitCode = 0;
};

// The arguments as main() has them. They are bytes, file names among them,
// and need not be UTF-8: each is kept so that it goes back to exactly its
// bytes (see disk::nameFromBytes()), which the toolkit's own copy of them
// does not do.
QStringList argumentsOf(int argc, const char *const argv[]);

// Reads `arguments` (the program's name first, as argv gives it).
// --help, -h and -? print the usage; --version and -v print
// "scrivlet <version>". No argument starts the editor with the starting
// document; one FILE starts it with that file; more than one FILE, an
// unknown option or an option's misuse is refused with the usage.
// `--` ends the options, so a file named "-x" can be given after it.
Request parse(const QStringList &arguments, const QString &version);

} // namespace commandline
