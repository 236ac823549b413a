// splitwatch-export: lap-time files as CSV or JSON on the standard output,
// for spreadsheets and scripts. Reads the files only; never writes them.
//
// Exit status: 0 every file exported; 1 at least one file could not be read
// (the others are still written); 2 wrong usage.

#include "analysis/LapFilter.h"
#include "analysis/RaceExport.h"
#include "files/LapFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <vector>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

using namespace sw;

namespace {

enum ExitStatus { Exported = 0, FileNotRead = 1, WrongUsage = 2 };

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void complain(const QString &text)
{
    std::fputs(qPrintable(QCoreApplication::applicationName() + QStringLiteral(": ") + text + QLatin1Char('\n')),
               stderr);
}

int usageError(const QCommandLineParser &parser, const QString &problem)
{
    complain(problem);
    std::fputs(qPrintable(parser.helpText()), stderr);
    return WrongUsage;
}

// Reads one lap-time file into race, taking its conditions the way opening it
// in the program does. On failure returns the reason, naming nothing but the
// problem.
QString readRace(const QString &path, bool exchange, ExportedRace *race)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read: %1").arg(f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return QStringLiteral("cannot be read: %1").arg(f.errorString());

    const LapFileReadResult read = readLapFile(bytes, exchange);
    switch (read.status) {
    case LapFileReadResult::Ok:
        break;
    case LapFileReadResult::NotLapFile:
        return QStringLiteral("This is not a Lap Time file and can not be used.");
    case LapFileReadResult::Damaged:
        return read.problem;
    }
    race->file = path;
    auto loaded = std::make_shared<Race>();
    loaded->load(read.content.race);
    race->race = std::move(loaded);
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("splitwatch-export"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SW_VERSION));

#ifdef Q_OS_WIN
    // CSV lines end in CR LF already; the C library must not add a CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Writes the lap times of Splitwatch lap-time files to the standard output as CSV\n"
            "(one line per lap; with several files the first column names the file) or JSON."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("Output format: csv (the default) or json."),
                                          QStringLiteral("csv|json"), QStringLiteral("csv"));
    const QCommandLineOption exchangeOption(
            QStringLiteral("exchange"),
            QStringLiteral("Read the files as Ravelin exchange files (a path line before the comments)."));
    parser.addOption(formatOption);
    parser.addOption(exchangeOption);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Lap-time files to export."),
                                 QStringLiteral("FILE..."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(helpOption)) {
        writeOut(parser.helpText().toUtf8());
        return Exported;
    }
    if (parser.isSet(versionOption)) {
        writeOut((QCoreApplication::applicationName() + QLatin1Char(' ')
                  + QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                         .toUtf8());
        return Exported;
    }
    const QString format = parser.value(formatOption);
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        return usageError(parser, QStringLiteral("Unknown format \"%1\"; use csv or json.").arg(format));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(parser, QStringLiteral("No lap-time file given."));

    int status = Exported;
    std::vector<ExportedRace> races;
    races.reserve(size_t(files.size()));
    for (const QString &path : files) {
        ExportedRace race;
        const QString problem = readRace(path, parser.isSet(exchangeOption), &race);
        if (!problem.isEmpty()) {
            complain(path + QStringLiteral(": ") + problem);
            status = FileNotRead;
            continue;
        }
        races.push_back(std::move(race));
    }

    if (format == QLatin1String("json"))
        writeOut(racesToJson(races));
    else if (files.size() == 1 && !races.empty())
        writeOut(raceToCsv(*races.front().race));
    else if (!races.empty())
        writeOut(racesToCsv(races));
    std::fflush(stdout);
    return status;
}
