// vireosant-inspect: looks into configuration images outside the program.
//   vireosant-inspect image FILE        decoded state of an image (body, or header and body) as JSON
//   vireosant-inspect encode FILE.json  image of such JSON
//   vireosant-inspect log IMAGE LOG [--now ISO-TIME]   log records decoded with an image, as JSON
//   vireosant-inspect scn FILE          plan, comment index, comments and description of a scenario file
// Errors give one line on standard error and exit status 2.

#include "imagecommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int ExitFailure = 2;

int fail(const QString &message)
{
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "vireosant-inspect: %s\n", line.toLocal8Bit().constData());
    return ExitFailure;
}

const char usage[] = "usage: vireosant-inspect image FILE | vireosant-inspect encode FILE.json"
                     " | vireosant-inspect log IMAGE LOG [--now ISO-TIME] | vireosant-inspect scn FILE\n";

bool logCall(const QStringList &args)
{
    return args.size() >= 2 && args.at(1) == QLatin1String("log")
        && (args.size() == 4 || (args.size() == 6 && args.at(4) == QLatin1String("--now")));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 && (args.at(1) == QLatin1String("--help") || args.at(1) == QLatin1String("-h"))) {
        std::fputs(usage, stdout);
        return 0;
    }
    const bool log = logCall(args);
    const QString command = args.value(1);
    if (!log && (args.size() != 3
                 || (command != QLatin1String("image") && command != QLatin1String("encode") && command != QLatin1String("scn")))) {
        std::fputs(usage, stderr);
        return ExitFailure;
    }

    const InspectOutput out = log ? inspectLog(args.at(2), args.at(3), args.value(5))
        : command == QLatin1String("image") ? inspectImage(args.at(2))
        : command == QLatin1String("scn")   ? inspectScenarioFile(args.at(2))
                                            : encodeImage(args.at(2));
    if (!out.ok)
        return fail(out.error);

    QFile stdoutFile;
    if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || stdoutFile.write(out.data) != out.data.size() || !stdoutFile.flush())
        return fail(QStringLiteral("cannot write to standard output"));
    return 0;
}
