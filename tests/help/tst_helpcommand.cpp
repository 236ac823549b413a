// "Program Help": the message, the viewers tried in order, the message when
// none starts.

#include "help/HelpCommand.h"
#include "help/ProgramLauncher.h"
#include "ui/Prompts.h"

#include <QtTest>

using namespace sw;

namespace {

const QString kFinished = QStringLiteral(
    "When you are finished viewing the Help document, click on the [X] box in the upper "
    "right corner to return to the Splitwatch.");
const QString kNoViewer = QStringLiteral("An appropriate viewer was not found on your system.");

// Starts the attempts whose number (1..4) is listed; records every attempt.
class ScriptedLauncher : public ProgramLauncher
{
public:
    QList<int> starting;
    QStringList attempts; // program and arguments joined by blanks

    bool start(const QString &program, const QStringList &arguments) override
    {
        attempts << (QStringList{program} + arguments).join(QLatin1Char(' '));
        return starting.contains(attempts.size());
    }
};

} // namespace

class TestHelpCommand : public QObject
{
    Q_OBJECT
private slots:
    void viewersTriedInOrder_data();
    void viewersTriedInOrder();
    void viewerCommands_data();
    void viewerCommands();
};

void TestHelpCommand::viewersTriedInOrder_data()
{
    QTest::addColumn<QList<int>>("starting");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("first viewer starts") << QList<int>{1, 2, 3, 4} << 1 << QStringList{kFinished};
    QTest::newRow("third viewer starts") << QList<int>{3} << 3 << QStringList{kFinished};
    QTest::newRow("last viewer starts") << QList<int>{4} << 4 << QStringList{kFinished};
    QTest::newRow("none starts") << QList<int>{} << 4 << QStringList{kFinished, kNoViewer};
}

void TestHelpCommand::viewersTriedInOrder()
{
    QFETCH(QList<int>, starting);
    QFETCH(int, attempts);
    QFETCH(QStringList, messages);
    const QString doc = QStringLiteral("/opt/splitwatch/help/TimerHelp.txt");
    ScriptedPrompts prompts;
    ScriptedLauncher launcher;
    launcher.starting = starting;
    HelpCommand(doc, prompts, launcher).mnuHelpHelp_Click();

    QCOMPARE(prompts.messageTexts(), messages);
    for (const ScriptedPrompts::Asked &a : prompts.asked) {
        QCOMPARE(a.message.title, QStringLiteral("Splitwatch"));
        QCOMPARE(a.message.buttons, Buttons::Ok);
        QCOMPARE(a.message.icon, Icon::None);
    }
    QCOMPARE(prompts.unexpectedCount(), 0);

    QStringList expected;
    for (const ViewerCommand &v : HelpCommand::viewerCommands(doc, HelpCommand::currentSystem()))
        expected << (QStringList{v.program} + v.arguments).join(QLatin1Char(' '));
    QCOMPARE(launcher.attempts, expected.mid(0, attempts));
}

void TestHelpCommand::viewerCommands_data()
{
    QTest::addColumn<HelpCommand::System>("system");
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("windows")
        << HelpCommand::System::Windows << QStringLiteral("C:/Program Files/Splitwatch/help/TimerHelp.txt")
        << QStringList{
               "C:\\Progra~1\\Access~1\\WORDPAD.EXE|C:\\Program Files\\Splitwatch\\help\\TimerHelp.txt",
               "C:\\Windows\\WORDPAD.EXE|C:\\Program Files\\Splitwatch\\help\\TimerHelp.txt",
               "notepad|C:\\Program Files\\Splitwatch\\help\\TimerHelp.txt",
               "c:\\Windows\\notepad|C:\\Program Files\\Splitwatch\\help\\TimerHelp.txt"};
    QTest::newRow("linux") << HelpCommand::System::Other << QStringLiteral("/opt/sw dir/help/TimerHelp.txt")
                           << QStringList{"xdg-open|/opt/sw dir/help/TimerHelp.txt",
                                          "gio|open|/opt/sw dir/help/TimerHelp.txt",
                                          "gedit|/opt/sw dir/help/TimerHelp.txt",
                                          "xterm|-e|less|/opt/sw dir/help/TimerHelp.txt"};
}

void TestHelpCommand::viewerCommands()
{
    QFETCH(HelpCommand::System, system);
    QFETCH(QString, doc);
    QFETCH(QStringList, commands);
    QStringList got;
    // The document is one argument, blanks and all, always the last.
    for (const ViewerCommand &v : HelpCommand::viewerCommands(doc, system))
        got << (QStringList{v.program} + v.arguments).join(QLatin1Char('|'));
    QCOMPARE(got, commands);
}

QTEST_GUILESS_MAIN(TestHelpCommand)
#include "tst_helpcommand.moc"
