// TEST HOOK: see TestDriver.h. Nothing here runs unless
// SPLITWATCH_TEST_DRIVER is set.

#include "app/TestDriver.h"

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "journal/JournalRecords.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"


#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace sw {

void TestDriver::installIfRequested(Startup &startup)
{
    const QByteArray mode = qgetenv("SPLITWATCH_TEST_DRIVER");
    if (mode.isEmpty())
        return;
    if (mode == "skip-speed-check")
        startup.speedCheckPassedForTest = 1;
    new TestDriver(startup);
}

TestDriver::TestDriver(Startup &startup) : QObject(&startup), m_startup(startup)
{
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &TestDriver::readInput);
    qApp->installEventFilter(this);
    startup.mainWindowReady = [this] {
        m_ready = true;
        print(QStringLiteral("ready"));
        QTimer::singleShot(0, this, &TestDriver::drain);
    };
}

void TestDriver::print(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void TestDriver::readInput()
{
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_input->setEnabled(false); // the test closed its end
        return;
    }
    m_buffer.append(chunk, n);
    for (int nl; (nl = m_buffer.indexOf('\n')) >= 0;) {
        m_pending << QString::fromUtf8(m_buffer.left(nl));
        m_buffer.remove(0, nl + 1);
    }
    drain();
}

// Answers are taken at once, also while a command waits in a dialog; every
// other command waits until the program has started and the command before
// it has finished.
void TestDriver::drain()
{
    while (!m_pending.isEmpty()) {
        const QString line = m_pending.front();
        if (line.startsWith(QLatin1String("answer"))) {
            m_pending.pop_front();
            m_answers << line;
            print(QStringLiteral("ok ") + line);
            answerOpenDialog();
            continue;
        }
        if (!m_ready || m_running)
            return;
        m_pending.pop_front();
        m_running = true;
        execute(line);
        m_running = false;
    }
}

bool TestDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && (qobject_cast<QMessageBox *>(dialog) || qobject_cast<QInputDialog *>(dialog))) {
            print(QStringLiteral("asked ") + dialog->windowTitle());
            m_open = dialog;
            answerOpenDialog();
        }
    }
    return false;
}

void TestDriver::answerOpenDialog()
{
    if (!m_open || m_answers.isEmpty())
        return;
    const QString answer = m_answers.takeFirst();
    QPointer<QDialog> dialog = m_open;
    m_open = nullptr;
    // Given from the dialog's own event loop, once it is fully shown.
    QTimer::singleShot(0, this, [dialog, answer] {
        if (!dialog)
            return;
        if (auto *input = qobject_cast<QInputDialog *>(dialog.data())) {
            input->setTextValue(answer.section(QLatin1Char(' '), 1));
            input->accept();
            return;
        }
        auto *box = qobject_cast<QMessageBox *>(dialog.data());
        const QString name = answer.section(QLatin1Char(' '), 1);
        const QMessageBox::StandardButton b = name == QLatin1String("Yes")  ? QMessageBox::Yes
                                            : name == QLatin1String("No")   ? QMessageBox::No
                                            : name == QLatin1String("Cancel") ? QMessageBox::Cancel
                                                                              : QMessageBox::Ok;
        if (QAbstractButton *button = box ? box->button(b) : nullptr)
            button->click();
        else
            print(QStringLiteral("error no button ") + name);
    });
}

void TestDriver::execute(const QString &line)
{
    const QString cmd = line.section(QLatin1Char(' '), 0, 0);
    const QString arg = line.section(QLatin1Char(' '), 1);
    if (cmd == QLatin1String("dump")) {
        printState();
        const std::vector<CellValue> now = cells();
        for (int i = 0; i < int(now.size()); ++i)
            if (!now[i].empty)
                printCell(i / RaceRecordCells::Columns, i % RaceRecordCells::Columns, now[size_t(i)]);
    } else if (cmd == QLatin1String("sync")) {
        waitForJournal(m_startup.journal ? m_startup.journal->writer().queuedCount() : 0);
    } else if (cmd == QLatin1String("memory")) {
        printMemory();
    } else {
        const std::vector<CellValue> before = cells();
        if (!runCommand(cmd, arg)) {
            print(QStringLiteral("error unknown command: ") + line);
            return;
        }
        printChanges(before);
        printState();
    }
    print(QStringLiteral("ok ") + line);
}

bool TestDriver::runCommand(const QString &cmd, const QString &arg)
{
    MainWindow &w = *m_startup.mainWindow();
    auto &ui = w.ui;
    if (cmd == QLatin1String("key")) {
        static const struct { const char *name; int key; } names[] = {
            {"Up", Qt::Key_Up},         {"Down", Qt::Key_Down}, {"Left", Qt::Key_Left},
            {"Right", Qt::Key_Right},   {"Return", Qt::Key_Return}, {"Tab", Qt::Key_Tab},
            {"Escape", Qt::Key_Escape},
        };
        int key = 0;
        if (arg.startsWith(QLatin1Char('F')) && arg.mid(1).toInt() >= 1 && arg.mid(1).toInt() <= 12)
            key = Qt::Key_F1 + arg.mid(1).toInt() - 1;
        for (const auto &n : names)
            if (arg == QLatin1String(n.name))
                key = n.key;
        if (!key)
            return false;
        sendKey(key, QString());
    } else if (cmd == QLatin1String("segments")) {
        ui.numberOfSegmentsAction->trigger();
    } else if (cmd == QLatin1String("lap")) {
        ui.lapList->setCurrentIndex(arg.toInt() - 1);
    } else if (cmd == QLatin1String("type-seg")) {
        const int seg = arg.section(QLatin1Char(' '), 0, 0).toInt();
        if (seg < 1 || seg > 4)
            return false;
        // As a click on the field: the window becomes active, the field
        // takes the focus and is entered.
        QApplication::setActiveWindow(&w);
        ui.segmentFields[size_t(seg)]->setFocus(Qt::MouseFocusReason);
        if (QApplication::focusWidget() != ui.segmentFields[size_t(seg)])
            return false;
        for (const QChar c : arg.section(QLatin1Char(' '), 1))
            sendKey(c.isDigit() ? Qt::Key_0 + c.digitValue() : c == QLatin1Char('.') ? Qt::Key_Period : 0,
                    QString(c));
    } else if (cmd == QLatin1String("click")) {
        QAbstractButton *b = arg == QLatin1String("keep")     ? ui.finishKeepButton
                           : arg == QLatin1String("cancel")   ? ui.cancelChangesButton
                           : arg == QLatin1String("insert")   ? ui.insertButton
                           : arg == QLatin1String("delete")   ? ui.deleteButton
                           : arg == QLatin1String("restart")  ? ui.startRestartButton
                                                              : nullptr;
        if (!b)
            return false;
        b->click();
    } else {
        return false;
    }
    return true;
}

// As the operator gives it: to the focused control of the main window, or
// the timing keys' own field when the focus is elsewhere.
void TestDriver::sendKey(int qtKey, const QString &text)
{
    MainWindow &w = *m_startup.mainWindow();
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != &w)
        target = w.ui.timingFocusHolder;
    QPointer<QWidget> guard = target;
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    if (!guard)
        return;
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(guard, &release);
}

void TestDriver::waitForJournal(quint64 target)
{
    if (!m_startup.journal)
        return;
    const JournalWriter &writer = m_startup.journal->writer();
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (writer.settledCount() >= target || waited.elapsed() > 10000)
            loop.quit();
    });
    poll.start(2);
    if (writer.settledCount() < target)
        loop.exec();
    if (writer.settledCount() < target)
        print(QStringLiteral("error the journal did not settle"));
}

std::vector<TestDriver::CellValue> TestDriver::cells() const
{
    const Race &r = m_startup.mainWindow()->race();
    constexpr int columns = RaceRecordCells::Columns;
    std::vector<CellValue> out(size_t(Race::Rows) * columns);
    for (int lap = 0; lap < Race::Rows; ++lap)
        for (int c = 1; c < columns; ++c) {
            const Cell &cell = r.cell(lap, c);
            CellValue &v = out[size_t(lap) * columns + size_t(c)];
            v.empty = cell.isEmpty();
            if (!v.empty)
                v.value = c <= 4 ? toMicroseconds(cell.value()) : qint64(cell.value());
        }
    return out;
}

void TestDriver::printChanges(const std::vector<CellValue> &before)
{
    const std::vector<CellValue> now = cells();
    for (int i = 0; i < int(now.size()); ++i)
        if (now[size_t(i)] != before[size_t(i)])
            printCell(i / RaceRecordCells::Columns, i % RaceRecordCells::Columns, now[size_t(i)]);
}

void TestDriver::printCell(int lap, int col, const CellValue &v)
{
    print(QStringLiteral("cell %1 %2 %3")
              .arg(lap)
              .arg(col)
              .arg(v.empty ? QStringLiteral("-") : QString::number(v.value)));
}

void TestDriver::printMemory()
{
    // Freed memory goes back to the system first, so that the figure says
    // what the program still holds.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    qint64 resident = -1;
    if (statm.open(QIODevice::ReadOnly))
        resident = statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
    print(QStringLiteral("memory %1").arg(resident));
}

void TestDriver::printState()
{
    const Race &r = m_startup.mainWindow()->race();
    print(QStringLiteral("state %1 %2 %3 %4 %5")
              .arg(int(r.state()))
              .arg(r.currentLap())
              .arg(r.currentSegment())
              .arg(r.lastLap())
              .arg(r.segmentsPerLap()));
}

} // namespace sw
