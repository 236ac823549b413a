#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/FileCheck.h"
#include "app/MainWindow.h"
#include "app/Recovery.h"
#include "app/SpeedCheckWindow.h"
#include "app/SplashWindow.h"
#include "app/WindowZoom.h"
#include "document/FileCommands.h"
#include "document/RecentFiles.h"
#include "files/FileState.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"
#include "results/ResultsPanel.h"
#include "share/LiveSharing.h"
#include "timing/HiTime.h"
#include "ui/QtPrompts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <QApplication>
#include <QSettings>
#include <QCursor>
#include <QHostAddress>
#include <QTimer>

#include <cstdio>

namespace sw {

void chooseDisplayTransport()
{
    if (qEnvironmentVariableIntValue("SPLITWATCH_X_SHARED_MEMORY") == 0 && !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

struct Startup::Owned
{
    Race race;
    FileState files;
    TimerCalibration calibration;
    QtPrompts prompts;
    SteadyClock clock;
    SteadyHiTime startupTimer{clock};
    SteadyHiTime mainTimer{clock};
};

Startup::Startup(const QStringList &arguments)
    : m_owned(std::make_unique<Owned>()), m_args(arguments.mid(1)),
      m_folder(QCoreApplication::applicationDirPath()), m_race(&m_owned->race), m_files(&m_owned->files),
      m_calibration(&m_owned->calibration),
      m_prompts(&m_owned->prompts), m_startupTimer(&m_owned->startupTimer),
      m_mainTimer(&m_owned->mainTimer)
{
}

Startup::Startup(const QStringList &arguments, const QString &programFolder, StartupServices s)
    : m_args(arguments), m_folder(programFolder), m_race(&s.race), m_files(&s.files),
      m_calibration(&s.calibration), m_prompts(&s.prompts),
      m_startupTimer(&s.startupTimer), m_mainTimer(&s.mainTimer)
{
}

Startup::~Startup()
{
    // The main window goes before the services it refers to.
    m_main.reset();
    m_recorder.reset();
    m_speedCheck.reset();
    m_splash.reset();
}

bool Startup::begin()
{
    FileState &s = *m_files;
    s.programFolder = m_folder;
    s.startedByRavelin = ravelinModeFromArguments(m_args) != 0;
    m_race->setHeldInSetup(s.startedByRavelin);
    if (journal) {
        // The journal hears of every change first: connected before any view.
        m_recorder = std::make_unique<RaceRecorder>(*m_race, *journal, [this] {
            JournalArm arm;
            arm.monotonicNs = m_mainTimer->startNs(); // where the race timer counts from
            arm.wallMs = QDateTime::currentMSecsSinceEpoch();
            arm.ticksPerSecond = m_calibration->ticksPerSecond;
            arm.timerIntervalMs = m_calibration->intervalMs;
            return arm;
        });
    }

    if (!s.startedByRavelin && speedCheckPassedForTest > 0) {
        const int ms = speedCheckPassedForTest;
        QTimer::singleShot(0, this, [this, ms] { onAccepted(ms, 1000.0 / ms); });
        return true;
    }
    if (!s.startedByRavelin) {
        m_splash = std::make_unique<SplashWindow>();
        m_splash->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_speedCheck = std::make_unique<SpeedCheckWindow>(*m_startupTimer);
        connect(m_speedCheck.get(), &SpeedCheckWindow::accepted, this, &Startup::onAccepted);
        connect(m_speedCheck.get(), &SpeedCheckWindow::tooSlow, this, &Startup::onTooSlow);
        m_speedCheck->prepare();
        m_speedCheck->show();
        return true;
    }

    // Started by Ravelin: no speed check; timing keys are refused.
    s.lapFileName = s.exchangeInputPath();
    if (checkFileOpens(s.lapFileName, *m_prompts) == FileOpenCheck::Opens) {
        m_prompts->info(QStringLiteral(
            "You are now it the Splitwatch, and the lap times from the Ravelin record will be loaded "
            "automatically.\n\nYou can view or modify this record, or open a different Splitwatch "
            "file to take it's lap times back to the Ravelin program."));
        s.exchange = ExchangeState::InputWaiting;
    } else {
        m_prompts->info(QStringLiteral("You are now it the Splitwatch.  You can now open a Splitwatch "
                                       "file and return to the Ravelin program with its lap times."));
        s.exchange = ExchangeState::None;
    }
    m_prompts->info(QStringLiteral(
        "When you click on 'Return to Ravelin' at the top of the main screen, you will be given the "
        "Option to return to the Ravelin with the lap times currently on the main screen."));
    openMainWindow();
    openFileFromCommandLine();
    return true;
}

void Startup::openMainWindow()
{
    m_main = std::make_unique<MainWindow>(*m_race, *m_files, *m_prompts, *m_mainTimer, *m_calibration);
    m_main->setJournal(journal);
    if (journal) {
        // Exit after the operator answered for the race: the journal goes.
        connect(&m_main->fileCommands(), &FileCommands::exitAnswered, this,
                [this] { journal->writer().close(JournalClose::Discarded); });
    }
    if (auto *qp = dynamic_cast<QtPrompts *>(m_prompts))
        qp->setParent(m_main.get());
    m_main->loadWindow();
    m_main->zoom().useSettings(
        std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
    m_main->rememberPitBoardScreen(
        std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
    if (rememberLapFilter)
        m_main->results().rememberLapFilter(
            std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
    if (rememberRecentFiles)
        m_main->fileCommands().recentFiles().useSettings(
            std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
    if (rememberSharing)
        m_main->sharing().useSettings(
            std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
    m_main->show();
    m_main->activateWindow();
    shareFromCommandLine();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void Startup::shareFromCommandLine()
{
    const ShareArgument share = shareArgumentFromArguments(m_args);
    if (!share.given)
        return;
    LiveSharing &sharing = m_main->sharing();
    const QHostAddress address(share.address);
    QString error;
    if (!share.valid || (!share.address.isEmpty() && address.isNull()))
        error = QStringLiteral("--share takes [ADDRESS:]PORT, for example --share 8473 or --share 192.168.1.20:8473");
    else if (!sharing.start(address, share.port))
        error = QStringLiteral("Live timing cannot be shared on port %1:\n%2").arg(share.port).arg(sharing.errorString());
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        std::fflush(stderr);
        m_prompts->info(error);
        return;
    }
    const QByteArray line = sharing.url().toString().toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

QString Startup::fileWithRavelinText(const QString &path)
{
    return QStringLiteral("A Lap Time file named on the command line is not opened when Splitwatch is "
                          "called by Ravelin:\n\n    ")
           + QDir::toNativeSeparators(path)
           + QStringLiteral("\n\nYou can open it with File > Open Lap Times File.");
}

void Startup::openFileFromCommandLine()
{
    const QStringList files = filesFromArguments(m_args);
    if (files.isEmpty())
        return;
    // Only the first is opened: the window holds one race. Named from the
    // folder the program was started in, which the dialogs do not show.
    const QString path = QFileInfo(files.first()).absoluteFilePath();
    if (m_files->startedByRavelin)
        m_prompts->info(fileWithRavelinText(path));
    else
        m_main->fileCommands().openFromOutside(path);
}

void Startup::onAccepted(int interval, double)
{
    m_calibration->intervalMs = interval;
    // The timer counts whole intervals of the monotonic clock (late events
    // report what they skipped), so its true rate is exactly the nominal
    // one. The measured average only judged whether the computer keeps up;
    // used as the length of a second, its sampling error of a few ticks in
    // five seconds would put every reading off by up to 0.05 %.
    m_calibration->ticksPerSecond = 1000.0 / interval;
    openMainWindow();
    if (m_speedCheck)
        m_speedCheck->close();
    if (m_splash)
        m_splash->close();
    if (journal && m_recorder)
        offerRecovery(*m_race, *journal, *m_recorder, *m_prompts, *m_mainTimer, *m_calibration);
    openFileFromCommandLine();
    if (mainWindowReady)
        mainWindowReady();
}

void Startup::onTooSlow()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_prompts->info(QStringLiteral("This computer is too slow for this program."));
    if (m_speedCheck)
        m_speedCheck->close();
    if (m_splash)
        m_splash->close();
    QCoreApplication::exit(1);
}

} // namespace sw
