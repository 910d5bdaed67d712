#include "app/command_line.h"

#include "document/file_access.h"

#include <QCommandLineParser>

#include <algorithm>

namespace commandline {

namespace {

const QString programName = QStringLiteral("scrivlet");

} // namespace

QStringList argumentsOf(int argc, const char *const argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << disk::nameFromBytes(argv[i]);
    return arguments;
}

Request parse(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    // "-x.dnml" is one option as typed, not the six options x . d n m l.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral(u"Scrivlet: an editor of DNML scripts, saved as Shift-JIS with CR LF line breaks."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The script to open at start."),
                                 QStringLiteral("[FILE]"));

    const bool understood = parser.parse(arguments);
    // Qt names the program in the usage line only once an application
    // object exists; name it as it was started, either way.
    QString usage = parser.helpText();
    if (const qsizetype nameEnd = usage.indexOf(QLatin1String(" [options]")); nameEnd >= 0)
        usage.replace(0, nameEnd, QStringLiteral("Usage: ") + (arguments.isEmpty() ? programName : arguments.front()));

    const auto refuse = [&usage](const QString &why) {
        return Request{Request::Action::Refuse, {}, programName + QStringLiteral(": ") + why + u'\n' + usage, 2};
    };
    if (!understood) {
        QString why = parser.errorText();
        // An unknown option that looks like a file's name most likely is one.
        const QStringList unknown = parser.unknownOptionNames();
        const auto file = std::find_if(unknown.begin(), unknown.end(), [](const QString &name) { return name.contains(u'.'); });
        if (file != unknown.end())
            why += QStringLiteral("\nA file whose name starts with \"-\" comes after \"--\": %1 -- -%2").arg(programName, *file);
        return refuse(why);
    }
    // --help-all would add the toolkit's own options, which the program
    // reads only once a display is there: the usage says what matters.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return Request{Request::Action::Print, {}, usage, 0};
    if (parser.isSet(versionOption))
        return Request{Request::Action::Print, {}, programName + u' ' + version + u'\n', 0};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refuse(QStringLiteral("one file at most, %1 given").arg(files.size()));
    if (files.size() == 1 && files.front().isEmpty())
        return refuse(QStringLiteral("the file name is empty"));
    return Request{Request::Action::Run, files.isEmpty() ? QString() : files.front(), {}, 0};
}

} // namespace commandline
