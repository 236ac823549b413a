#pragma once
// What runs from launch until the main window is ready: the command line,
// the program folder, then either the splash window with the speed check
// (normal start) or the exchange messages (start by Ravelin).

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace sw {

class Race;
struct FileState;
struct TimerCalibration;
class Prompts;
class MonotonicClock;
class HiTime;
class MainWindow;
class SpeedCheckWindow;
class SplashWindow;
class RaceJournal;
class RaceRecorder;

struct StartupServices
{
    Race &race;
    FileState &files;
    TimerCalibration &calibration;
    Prompts &prompts;
    HiTime &startupTimer; // the speed-check window's timer
    HiTime &mainTimer;    // the main window's race timer
};

class Startup : public QObject
{
    Q_OBJECT
public:
    // The real program: real clock, timers and dialogs.
    explicit Startup(const QStringList &arguments);
    // Injected services (tests).
    Startup(const QStringList &arguments, const QString &programFolder, StartupServices services);
    ~Startup() override;

    // Runs the start-up window's load handler. False when the program ends
    // at once.
    bool begin();

    MainWindow *mainWindow() const { return m_main.get(); }
    SpeedCheckWindow *startupWindow() const { return m_speedCheck.get(); }
    SplashWindow *splashWindow() const { return m_splash.get(); }

    // The crash journal of the run (set by the program): every change of the
    // race is written to it, and unfinished races are offered for recovery
    // once the speed check has passed.
    RaceJournal *journal = nullptr;
    // The "Count laps" choice is kept in the user's settings (set by the
    // program; tests leave it off).
    bool rememberLapFilter = false;
    // The live timing port, interface and access token are kept in the
    // user's settings (set by the program; tests leave it off).
    bool rememberSharing = false;
    // File > "Recent Lap Times" is kept in the user's settings (set by the
    // program; tests leave it off).
    bool rememberRecentFiles = false;

    // Told when a file is named together with "/E".
    static QString fileWithRavelinText(const QString &path);

    // Test hooks, set only by app/TestDriver when the whole-program test runs
    // the program. Above zero: the speed check is not run and this timer
    // interval (ms) counts as passed. mainWindowReady runs once the main
    // window is open and unfinished races were offered.
    int speedCheckPassedForTest = 0;
    std::function<void()> mainWindowReady;

private:
    void openMainWindow();
    void onAccepted(int interval, double tps);
    void onTooSlow();
    // "--share": starts sharing and prints the link on standard output.
    void shareFromCommandLine();
    // A lap-time file named on the command line: opened once the main window
    // is ready, or refused in a Ravelin start.
    void openFileFromCommandLine();

    struct Owned;
    std::unique_ptr<Owned> m_owned;
    QStringList m_args;
    QString m_folder;
    Race *m_race;
    FileState *m_files;
    TimerCalibration *m_calibration;
    std::unique_ptr<RaceRecorder> m_recorder;
    Prompts *m_prompts;
    HiTime *m_startupTimer;
    HiTime *m_mainTimer;
    std::unique_ptr<SpeedCheckWindow> m_speedCheck;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<MainWindow> m_main;
};

// Called before the QApplication is made. On X11 the window's pixels then go
// to the server over the connection instead of through shared memory: during
// a race only three small clocks change, 20 times a second, and Qt's
// shared-memory path waits for the server before every frame (a round trip
// and two thread wake-ups that cost more than the few kilobytes sent; about
// 0.4 % of a core). SPLITWATCH_X_SHARED_MEMORY=1 keeps shared memory.
void chooseDisplayTransport();

} // namespace sw
