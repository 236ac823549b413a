// splitwatch-export run as a program on the lap-time file corpus: what it
// writes to the standard output and the standard error, and its exit status.

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out, err;
};

// How the exporter's standard output is set up.
enum class Output { Pipe, FullDisk, Closed };

// Runs the exporter in the corpus folder, so file names are given as they
// appear in its messages and its file column.
Run runExport(const QStringList &args, const QString &locale = u"C.UTF-8"_s, Output output = Output::Pipe)
{
    QProcess p;
    if (output == Output::FullDisk)
        p.setStandardOutputFile(u"/dev/full"_s);
    else if (output == Output::Closed)
        p.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    p.setWorkingDirectory(QStringLiteral(SW_LAPFILE_CORPUS));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, locale);
    env.insert(u"LANG"_s, locale);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SW_EXPORT_PROGRAM), args);
    if (!p.waitForFinished(60000)) // stuck on its input (a FIFO without a writer): ended, not waited for
        p.kill(), p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

const QByteArray GoodRaceLaps = "1,15.125,15.125,30.250,Yellow,2,In Traffic\r\n"
                                "2,15.375,15.125,30.500,Green,3,Held up by Traffic\r\n"
                                "3,15.375,15.125,30.500,Yellow,4,Not in Traffic\r\n";

// good-race.txt's laps with the file column.
QByteArray goodRaceLapsOf(const QByteArray &file)
{
    QByteArray out;
    for (const QByteArray &line : GoodRaceLaps.split('\n'))
        if (!line.isEmpty())
            out += file + ',' + line + '\n';
    return out;
}

const QByteArray Header = "lap,seg1,seg2,lap_time,flag,position,traffic\r\n";

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void exportCsv_data()
    {
        QTest::addColumn<QString>("args"); // separated by spaces
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err"); // what the standard error must contain; "" for nothing at all
        const QString c = u"C.UTF-8"_s;
        const QByteArray none;
        QTest::newRow("one file, comma locale") << "good-race.txt" << u"de_DE.UTF-8"_s << 0 << Header + GoodRaceLaps
                                                << none;
        QTest::newRow("damaged file between good ones")
                << "good-race.txt truncated-mid-rows.txt cr-only-line-ends.txt" << c << 1
                << "file," + Header + goodRaceLapsOf("good-race.txt") + goodRaceLapsOf("cr-only-line-ends.txt")
                << QByteArray("splitwatch-export: truncated-mid-rows.txt: The file ends after line 900, before the "
                              "lap times are complete.\n");
        QTest::newRow("not a lap-time file")
                << "wrong-mark.txt" << c << 1 << none
                << QByteArray("wrong-mark.txt: This is not a Lap Time file and can not be used.");
        QTest::newRow("missing file") << "no-such-race.txt good-race.txt" << c << 1
                                      << "file," + Header + goodRaceLapsOf("good-race.txt")
                                      << QByteArray("no-such-race.txt: cannot be read: ");
        QTest::newRow("no file") << "" << c << 2 << none << QByteArray("No lap-time file given.\nUsage: ");
        QTest::newRow("unknown format") << "--format xml good-race.txt" << c << 2 << none
                                        << QByteArray("Unknown format \"xml\"; use csv or json.\nUsage: ");
        QTest::newRow("unknown option") << "--sort good-race.txt" << c << 2 << none << QByteArray("Usage: ");
    }

    void exportCsv()
    {
        QFETCH(QString, args);
        QFETCH(QString, locale);
        QFETCH(QByteArray, err);
        const Run r = runExport(args.split(u' ', Qt::SkipEmptyParts), locale);
        QTEST(r.exitCode, "exitCode");
        QTEST(r.out, "out");
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), r.err.constData());
    }

    void exportJson_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("comments"); // the comment lines joined with '|'
        QTest::newRow("exchange file read as one")
                << QStringList{u"--exchange"_s, u"good-exchange.txt"_s} << u"first line|second line"_s;
        // Without --exchange the path line is taken for the first comment line.
        QTest::newRow("exchange file read as a lap-time file")
                << QStringList{u"good-exchange.txt"_s} << u"C:\\Prog\\LapTimeFiles\\Heat1.txt|first line|second line"_s;
    }

    void exportJson()
    {
        QFETCH(QStringList, args);
        const Run r = runExport(QStringList{u"--format"_s, u"json"_s} + args);
        QCOMPARE(r.exitCode, 0);
        const QJsonArray races = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(races.size(), 1);
        const QJsonObject race = races[0].toObject();
        QCOMPARE(race.value("file"_L1).toString(), u"good-exchange.txt"_s);
        QTEST(race.value("comments"_L1).toVariant().toStringList().join(u'|'), "comments");
        const QJsonObject lap2 = race.value("laps"_L1).toArray()[1].toObject();
        QCOMPARE(lap2.value("segments"_L1).toArray(), QJsonArray({15.375, 15.125}));
        QCOMPARE(lap2.value("traffic"_L1).toString(), u"Held up by Traffic"_s);
    }

    // Output that does not arrive is an error, said on the standard error.
    void failedOutput_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        const QByteArray noSpace = "splitwatch-export: cannot write to the standard output: No space left on device\n";
        const QByteArray closed = "splitwatch-export: cannot write to the standard output: Bad file descriptor\n";
        QTest::newRow("csv on a full disk") << "good-race.txt" << int(Output::FullDisk) << 1 << noSpace;
        QTest::newRow("help on a full disk") << "--help" << int(Output::FullDisk) << 1 << noSpace;
        QTest::newRow("csv to a closed output") << "good-race.txt" << int(Output::Closed) << 1 << closed;
        QTest::newRow("several files to a closed output") << "good-race.txt cr-only-line-ends.txt" << int(Output::Closed) << 1 << closed;
    }

    void failedOutput()
    {
        QFETCH(QString, args);
        QFETCH(int, output);
        const Run r = runExport(args.split(u' ', Qt::SkipEmptyParts), u"C.UTF-8"_s, Output(output));
        QTEST(r.exitCode, "exitCode");
        QTEST(r.err, "err");
    }

    // Files that are not regular or larger than the window opens are refused
    // before they are read, and the files beside them are still exported.
    void refusedInput_data()
    {
        QTest::addColumn<QString>("name"); // made in a temporary folder by refusedInput
        QTest::addColumn<QByteArray>("reason");
        const QByteArray notRegular = "cannot be read: It is not a regular file.\n";
        QTest::newRow("endless device") << "/dev/zero" << notRegular;
        QTest::newRow("fifo with no writer") << "fifo" << notRegular;
        QTest::newRow("folder") << "folder" << notRegular;
        QTest::newRow("one byte over 64 MiB")
                << "huge.txt" << QByteArray("cannot be read: It is too large to be a lap-time file.\n");
    }

    void refusedInput()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        const QString path = name.startsWith(u'/') ? name : dir.filePath(name);
        if (name == "fifo"_L1)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (name == "folder"_L1)
            QVERIFY(QDir(dir.path()).mkdir(name));
        else if (name == "huge.txt"_L1) {
            // Sparse: the size is there, the blocks are not.
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.write("QVM-SW*1.10\r\n") > 0);
            QVERIFY(huge.resize(64 * 1024 * 1024 + 1));
        }
        const Run r = runExport({path, u"good-race.txt"_s});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, "file,"_ba + Header + goodRaceLapsOf("good-race.txt"));
        QCOMPARE(r.err, "splitwatch-export: "_ba + QFile::encodeName(path) + ": " + reason);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
