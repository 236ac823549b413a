// Undo and redo of the edits after the finish: every kind of step puts back
// the whole record, the history decides "unsaved", the journal holds the race
// as the last undo or redo left it, and the keys reach the history through
// the real window.

#include "support/RaceFixture.h"

#include "document/RaceHistory.h"
#include "journal/JournalFormat.h"
#include "journal/JournalRecovery.h"
#include "ui/MainWindowControls.h"

#include <QApplication>
#include <QUndoStack>
#include <QtTest>

using namespace sw;

namespace {

// Three segments a lap, six laps of 10 + 11 + 12 s, a missed press in lap 4.
void timeRace(Race &race)
{
    race.setSegmentsPerLap(3);
    race.arm();
    double t = 1;
    race.press(t);
    for (int lap = 1; lap <= 6; ++lap)
        for (int s = 1; s <= 3; ++s)
            if (lap != 4 || s != 2)
                race.press(t += 10 + s - 1);
    race.finish();
}

QStringList everyCell(const Race &race)
{
    QStringList cells;
    for (int lap = 0; lap < Race::Rows; ++lap)
        for (int c = 1; c < RaceRecordCells::Columns; ++c)
            cells << QString::number(race.cell(lap, c).value()) + (race.cell(lap, c).isEmpty() ? "e" : "");
    return cells << race.comments();
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT
private slots:
    void eachStep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("name");
        QTest::newRow("insert") << int(RaceEdit::Insert) << "Insert";
        QTest::newRow("delete") << int(RaceEdit::Delete) << "Delete";
        QTest::newRow("keep a segment") << int(RaceEdit::KeepChanges) << "Keep Changes";
        QTest::newRow("keep a flag") << -1 << "Keep Changes";
        QTest::newRow("comments") << int(RaceEdit::Comments) << "Comments";
    }

    // Each step, undone, gives back every cell; redone, the edited race; and
    // the journal written meanwhile recovers the race as it stands.
    void eachStep()
    {
        QFETCH(int, step);
        QFETCH(QString, name);
        QTemporaryDir dir;
        Race race;
        RaceJournal journal(dir.path(), false);
        RaceRecorder recorder(race, journal, [] {
            JournalArm arm;
            arm.monotonicNs = 1000;
            arm.ticksPerSecond = 1000;
            arm.timerIntervalMs = 1;
            return arm;
        });
        RaceHistory history(race);
        timeRace(race); // journalled: a save would close the journal
        const QStringList saved = everyCell(race);

        switch (step) {
        case int(RaceEdit::Insert): race.insertReading(4, 2, 11); break;
        case int(RaceEdit::Delete): race.deleteReading(2, 1); break;
        case int(RaceEdit::KeepChanges): race.keepChanges(3, {0, 12.5, 11, 12, 0}, race.lapConditions(3)); break;
        case int(RaceEdit::Comments): race.setComments(QStringLiteral("Wet track")); break;
        default: race.keepChanges(5, {0, 10, 11, 12, 0}, {1, 0, 0}); break;
        }
        const QStringList edited = everyCell(race);
        QVERIFY(edited != saved);
        QCOMPARE(history.stack().count(), 1);
        QCOMPARE(history.stack().undoText(), name);

        const auto recovered = [&] {
            journal.writer().runCycle();
            QFile f(journal.writer().currentPath());
            if (!f.open(QIODevice::ReadOnly))
                return QStringList();
            Race back;
            back.restore(recoveredRace(readJournal(f.readAll()).race, false).race);
            return everyCell(back);
        };

        QCOMPARE(recovered(), edited);
        history.stack().undo();
        QCOMPARE(everyCell(race), saved);
        QCOMPARE(recovered(), saved);
        QCOMPARE(history.stack().redoText(), name);

        history.stack().redo();
        QCOMPARE(everyCell(race), edited);
        QCOMPARE(recovered(), edited);
        QCOMPARE(history.stack().count(), 1); // undo and redo are no new steps
    }

    // What the history holds: only real changes, and nothing of a race that
    // is gone or still timed. Unsaved follows it.
    void historyStartsOver()
    {
        Race race;
        RaceHistory history(race);
        timeRace(race);
        race.markSaved();
        race.deleteReading(3, 2);
        history.stack().undo();
        QVERIFY(!race.isModified()); // back where it was saved
        history.stack().redo();
        QVERIFY(race.isModified());
        history.stack().undo();
        race.keepChanges(2, {0, 10, 11, 12, 0}, race.lapConditions(2)); // changes nothing
        QVERIFY(history.stack().canRedo()); // still there to redo
        race.deleteReading(2, 1);
        race.deleteReading(2, 1);
        QCOMPARE(history.stack().count(), 2); // the undone step went
        history.stack().undo();
        history.stack().undo();
        QVERIFY(!race.isModified());
        race.restart();
        QCOMPARE(history.stack().count(), 0);
        QVERIFY(!history.stack().canRedo());
    }

    // Through the real window: the Edit menu is off while timing, and after
    // the finish Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y work from an entry field;
    // undone back to the save, Exit asks nothing.
    void keysInTheWindow()
    {
        RaceFixture f(3);
        QApplication::setActiveWindow(f.w.get());
        f.arm();
        QVERIFY(!f.w->ui.editMenu->isEnabled());
        for (int i = 1; i <= 13; ++i)
            f.pressAt(i * 10);
        f.finish();
        QVERIFY(f.w->ui.editMenu->isEnabled());
        f.race.markSaved();
        const QStringList saved = everyCell(f.race);

        f.race.selectLap(2);
        f.prompts.answer(Answer::Yes);
        QTest::mouseClick(f.w->ui.deleteButton, Qt::LeftButton);
        const QStringList deleted = everyCell(f.race);
        QVERIFY(deleted != saved);
        const auto undoAction = f.w->findChild<QAction *>(QStringLiteral("undoAction"));
        QCOMPARE(undoAction->text(), QStringLiteral("Undo Delete"));

        QLineEdit *field = f.w->ui.segmentFields[1];
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(everyCell(f.race), saved);
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(everyCell(f.race), deleted);
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(everyCell(f.race), deleted);
        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.shownCell(2, 1), f.cell(2, 1));

        f.prompts.asked.clear();
        QVERIFY(f.w->fileCommands().exitCommand());
        QVERIFY(f.prompts.asked.empty());
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
