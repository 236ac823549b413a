// splitwatch-export: lap-time files as CSV or JSON on the standard output,
// for spreadsheets and scripts. Reads the files only; never writes them.
//
// Exit status: 0 every file exported; 1 at least one file could not be read
// (the others are still written) or the output could not be written in full;
// 2 wrong usage.

#include "analysis/LapFilter.h"
#include "analysis/RaceExport.h"
#include "files/FileIo.h"
#include "files/LapFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

using namespace sw;

namespace {

enum ExitStatus { Exported = 0, FileNotRead = 1, NotWritten = 1, WrongUsage = 2 };

void complain(const QString &text)
{
    std::fputs(qPrintable(QCoreApplication::applicationName() + QStringLiteral(": ") + text + QLatin1Char('\n')),
               stderr);
}

// The standard output, written and flushed; on failure says why on the
// standard error. A full disk or a closed output shows only at the flush,
// so every write is flushed before it counts as done.
bool writeOut(const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
                         && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written) {
        const int error = errno;
        complain(QStringLiteral("cannot write to the standard output: %1")
                         .arg(error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                         : QStringLiteral("write error")));
    }
    return written;
}

// With the standard output closed, the next file opened would take its
// descriptor and the output would go into it (or vanish). A descriptor open
// for reading only holds the place, so every write fails and is reported.
void holdClosedStandardOutput()
{
#ifdef Q_OS_UNIX
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1 && errno == EBADF) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && fd != STDOUT_FILENO) {
            ::dup2(fd, STDOUT_FILENO);
            ::close(fd);
        }
    }
#endif
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
    // Checked before the file is opened: opening a FIFO waits for a writer,
    // and reading /dev/zero or a huge file whole would exhaust the memory.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("cannot be read: It is not a regular file.");
    if (info.size() > MaxLoadFileSize)
        return QStringLiteral("cannot be read: It is too large to be a lap-time file.");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read: %1").arg(f.errorString());
    // A block of the file's own size, then pieces until its end: reading
    // up to one byte past the limit tells a file that grew after the check.
    QByteArray bytes = f.read(qMin(f.size(), MaxLoadFileSize + 1));
    while (bytes.size() <= MaxLoadFileSize && f.error() == QFileDevice::NoError) {
        const QByteArray piece = f.read(qMin<qint64>(64 * 1024, MaxLoadFileSize + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (f.error() != QFileDevice::NoError)
        return QStringLiteral("cannot be read: %1").arg(f.errorString());
    if (bytes.size() > MaxLoadFileSize)
        return QStringLiteral("cannot be read: It is too large to be a lap-time file.");

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
    holdClosedStandardOutput();
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
    if (parser.isSet(helpOption))
        return writeOut(parser.helpText().toUtf8()) ? Exported : NotWritten;
    if (parser.isSet(versionOption))
        return writeOut((QCoreApplication::applicationName() + QLatin1Char(' ')
                         + QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                                .toUtf8())
                       ? Exported
                       : NotWritten;
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

    QByteArray out;
    if (format == QLatin1String("json"))
        out = racesToJson(races);
    else if (files.size() == 1 && !races.empty())
        out = raceToCsv(*races.front().race);
    else if (!races.empty())
        out = racesToCsv(races);
    if (!writeOut(out))
        return NotWritten;
    return status;
}
