#pragma once
// TEST HOOK, off by default. Lets the whole-program test
// (tests/app/tst_crashrecovery) drive the real program as a child process:
// commands come one a line on standard input, what the test waits for goes
// one a line to standard output. Installed by main() only when the
// environment variable SPLITWATCH_TEST_DRIVER is set:
//
//   SPLITWATCH_TEST_DRIVER=1                 drive the program as it is
//   SPLITWATCH_TEST_DRIVER=skip-speed-check  also take the speed check as
//                                            passed at 1 ms (it takes seconds)
//
// Commands (replies in brackets; every command ends with "ok <command>" or
// "error <what>"):
//   key <F1..F12|Up|Down|Left|Right|Return|Tab|Escape>  a key press on the
//                        focused control of the main window
//   answer <Ok|Yes|No|Cancel>  the next (or open) message box gets this button
//   answer-text <text>   the next (or open) input box gets this text and OK
//                        (answers are taken as they come, also at start-up
//                        and while a command waits in a dialog)
//   segments             Options > Change Number Segments
//   lap <n>              chooses lap n in the lap list
//   type-seg <n> <text>  types text into the Seg n field (entering it first)
//   click <keep|cancel|insert|delete|restart>  the editing buttons
//   sync                 replies once the journal has on disk all it was given
//   dump                 [state + a cell line for every cell of the record]
//   memory               [memory <resident bytes>] after returning freed
//                        memory to the system
// Lines printed without a command:
//   asked <title>        a message or input box opened
//   ready                the main window is open and recovery was offered
// After each key/segments/lap/type-seg/click command: a "cell" line for every
// cell of the record the command changed, then the "state" line.
//   cell <lap> <column> <value | ->  readings (columns 1..4) in whole
//                        microseconds, conditions (5..7) as stored; - emptied
//   state <race state 0..3> <current lap> <current segment> <last lap> <segments a lap>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <vector>

class QDialog;
class QSocketNotifier;

namespace sw {

class Startup;

class TestDriver : public QObject
{
    Q_OBJECT
public:
    // Installs a driver on startup when SPLITWATCH_TEST_DRIVER is set (the
    // driver lives as long as startup); does nothing otherwise.
    static void installIfRequested(Startup &startup);

    explicit TestDriver(Startup &startup);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct CellValue
    {
        bool empty = true;
        qint64 value = 0;
        bool operator!=(const CellValue &o) const { return empty != o.empty || value != o.value; }
    };

    void readInput();
    void drain();
    void execute(const QString &line);
    bool runCommand(const QString &cmd, const QString &arg);
    void answerOpenDialog();
    std::vector<CellValue> cells() const;
    void printChanges(const std::vector<CellValue> &before);
    void printState();
    void printMemory();
    void printCell(int lap, int col, const CellValue &v);
    void sendKey(int qtKey, const QString &text);
    void waitForJournal(quint64 target);
    static void print(const QString &line);

    Startup &m_startup;
    QSocketNotifier *m_input = nullptr;
    QByteArray m_buffer;
    QStringList m_pending;
    QStringList m_answers;
    QPointer<QDialog> m_open; // the dialog on screen that has no answer yet
    bool m_ready = false;
    bool m_running = false;
};

} // namespace sw
