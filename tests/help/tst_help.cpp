// The Help menu: "Program Help" with its viewers and messages, and the about window.

#include "help/HelpCommand.h"
#include "help/ProgramLauncher.h"
#include "help/AboutWindow.h"
#include "printing/PdfPrinterSource.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;
using namespace Qt::StringLiterals;

// Starts the attempts whose number (1..4) is listed; records every attempt.
struct ScriptedLauncher : ProgramLauncher
{
    QList<int> starting;
    QList<QStringList> attempts;

    bool start(const QString &program, const QStringList &arguments) override
    {
        attempts << QStringList{program} + arguments;
        return starting.contains(attempts.size());
    }
};

static QList<QStringList> commands(const QString &doc, HelpCommand::System system)
{
    QList<QStringList> list;
    for (const ViewerCommand &v : HelpCommand::viewerCommands(doc, system))
        list << QStringList{v.program} + v.arguments;
    return list;
}

class TestHelp : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    PdfPrinterSource m_printers{m_dir.filePath(u"about.pdf"_s)};

private slots:
    void init() { m_prompts.clear(); }

    void viewersTriedInOrder_data()
    {
        QTest::addColumn<QList<int>>("starting");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<QStringList>("messages");
        const QString finished = u"When you are finished viewing the Help document, click on the [X] box in the "
                                 "upper right corner to return to the Splitwatch."_s;
        QTest::newRow("first viewer starts") << QList<int>{1, 2} << 1 << QStringList{finished};
        QTest::newRow("none starts") << QList<int>{} << 4
                                     << QStringList{finished, u"An appropriate viewer was not found on your system."_s};
    }

    void viewersTriedInOrder()
    {
        QFETCH(QList<int>, starting);
        QFETCH(int, attempts);
        const QString doc = u"/opt/splitwatch/help/TimerHelp.txt"_s;
        ScriptedLauncher launcher;
        launcher.starting = starting;
        HelpCommand(doc, m_prompts, launcher).showProgramHelp();
        QCOMPARE(launcher.attempts, commands(doc, HelpCommand::currentSystem()).mid(0, attempts));
        QTEST(m_prompts.messageTexts(), "messages");
        for (const ScriptedPrompts::Asked &a : m_prompts.asked) {
            QCOMPARE(a.message.title, u"Splitwatch"_s);
            QCOMPARE(a.message.buttons, Buttons::Ok);
            QCOMPARE(a.message.icon, Icon::None);
        }
    }

    // The document is one argument, blanks and all, always the last.
    void viewerCommands()
    {
        const QString win = u"C:\\Program Files\\Splitwatch\\help\\TimerHelp.txt"_s;
        QCOMPARE(commands(u"C:/Program Files/Splitwatch/help/TimerHelp.txt"_s, HelpCommand::System::Windows),
                 (QList<QStringList>{{"C:\\Progra~1\\Access~1\\WORDPAD.EXE", win}, {"C:\\Windows\\WORDPAD.EXE", win},
                                     {"notepad", win}, {"c:\\Windows\\notepad", win}}));
        const QString doc = u"/opt/sw dir/TimerHelp.txt"_s;
        QCOMPARE(commands(doc, HelpCommand::System::Other),
                 (QList<QStringList>{{"xdg-open", doc}, {"gio", "open", doc}, {"gedit", doc}, {"xterm", "-e", "less", doc}}));
    }

    // Print puts it on the program's printer (a PDF file here) without a
    // dialog and leaves it open; OK or a click on its background closes it.
    void aboutWindow_data()
    {
        QTest::addColumn<QString>("clickOn");
        QTest::newRow("ok button") << u"cmdOK"_s;
        QTest::newRow("background") << QString();
    }

    void aboutWindow()
    {
        QFETCH(QString, clickOn);
        QPointer<AboutWindow> form = new AboutWindow(m_printers, m_prompts);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE((QStringList{form->helpLine->text(), form->cmdOK->text(), form->SSCommand1->text()}),
                 (QStringList{u"Splitwatch v1.1   A.004"_s, u"OK"_s, u"Print"_s}));
        QVERIFY(!form->Image1->pixmap().isNull());
        QVERIFY(!form->isModal());
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        QVERIFY(form->isVisible());
        QVERIFY(QFileInfo(m_dir.filePath(u"about.pdf"_s)).size() > 0);
        QTest::mouseClick(clickOn.isEmpty() ? form.data() : form->findChild<QWidget *>(clickOn), Qt::LeftButton, {},
                          QPoint(3, 3));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        QCOMPARE(m_prompts.asked.size(), size_t(0));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
