#include "platform/base/commandline.h"

#include "platform/base/appinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace platform {
namespace {

bool anyOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && argv[i][0] == '-')
            return true;
    return false;
}

void print(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

std::optional<int> answerInformationOptions(int argc, char** argv, const QString& programName,
                                            const QString& description)
{
    // A normal start has no options: it pays nothing for this.
    if (!anyOption(argc, argv))
        return std::nullopt;
    int count = argc;
    const QCoreApplication app(count, argv);
    QCoreApplication::setApplicationName(programName);
    QCoreApplication::setApplicationVersion(appVersionText());
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    // "-window-id" and the like are one option each, not a run of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Options of other programs (a screensaver host's "--window-id") are not
    // errors here: they are the program's to read.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(version)) {
        print(programName + QLatin1Char(' ') + appVersionText() + QLatin1Char('\n'));
        return 0;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(parser.helpText());
        return 0;
    }
    return std::nullopt;
}

} // namespace platform
