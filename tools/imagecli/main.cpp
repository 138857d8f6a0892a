// vireosant-inspect: looks into configuration images outside the program.
//   vireosant-inspect image FILE        decoded state of an image (body, or header and body) as JSON
//   vireosant-inspect encode FILE.json  image of such JSON
//   vireosant-inspect diff A B          what writing body B over body A changes, as JSON
//   vireosant-inspect log IMAGE LOG [--now ISO-TIME]   log records decoded with an image, as JSON
//   vireosant-inspect scn FILE          plan, comment index, comments and description of a scenario file
//   vireosant-inspect check FILE        what the plan checker finds in an image, snapshot or scenario
//                                       file; exit status 1 when a finding is an error
// Errors give one line on standard error and exit status 2.

#include "checkcommand.h"
#include "imagecommands.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int ExitFailure = 2;
constexpr int ExitPlanErrors = 1;

int fail(const QString &message)
{
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "vireosant-inspect: %s\n", line.toLocal8Bit().constData());
    return ExitFailure;
}

const char usage[] = "usage: vireosant-inspect image FILE | encode FILE.json | diff A B | scn FILE"
                     " | check FILE | log IMAGE LOG [--now ISO-TIME]\n";

// How many files each command takes.
int fileCount(const QString &command)
{
    if (command == QLatin1String("image") || command == QLatin1String("encode") || command == QLatin1String("scn")
        || command == QLatin1String("check"))
        return 1;
    if (command == QLatin1String("diff") || command == QLatin1String("log"))
        return 2;
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vireosant-inspect"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VIREOSANT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Looks into configuration image bodies of the Vireosant controller."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("image FILE: the decoded plan as JSON; encode FILE.json: the image body "
                                                "of such JSON; diff A B: what writing B over A changes, as JSON; "
                                                "scn FILE: what a scenario file holds; check FILE: the plan checker's findings; "
                                                "log IMAGE LOG: the log's records"));
    const QCommandLineOption now(QStringLiteral("now"), QStringLiteral("The log window's \"now\" (local ISO time)."),
                                 QStringLiteral("ISO-TIME"));
    parser.addOption(now);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("The files of the command."), QStringLiteral("FILE..."));
    if (!parser.parse(app.arguments())) {
        std::fputs(usage, stderr);
        return ExitFailure;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const int files = fileCount(command);
    if (files < 0 || args.size() != files + 1 || (parser.isSet(now) && command != QLatin1String("log"))) {
        std::fputs(usage, stderr);
        return ExitFailure;
    }

    InspectOutput out;
    bool planErrors = false;
    if (command == QLatin1String("image"))
        out = inspectImage(args.at(1));
    else if (command == QLatin1String("encode"))
        out = encodeImage(args.at(1));
    else if (command == QLatin1String("scn"))
        out = inspectScenarioFile(args.at(1));
    else if (command == QLatin1String("check"))
        out = checkPlanFile(args.at(1), &planErrors);
    else if (command == QLatin1String("log"))
        out = inspectLog(args.at(1), args.at(2), parser.value(now));
    else
        out = diffImages(args.at(1), args.at(2));
    if (!out.ok)
        return fail(out.error);

    QFile stdoutFile;
    if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || stdoutFile.write(out.data) != out.data.size() || !stdoutFile.flush())
        return fail(QStringLiteral("cannot write to standard output"));
    return planErrors ? ExitPlanErrors : 0;
}
