// The Help menu: "Program Help" with its viewers and messages, and the about window.

#include "help/HelpCommand.h"
#include "help/ProgramLauncher.h"
#include "help/AboutWindow.h"
#include "printing/PdfPrinterSource.h"
#include "printing/PdfWords.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;
using namespace Qt::StringLiterals;

// Records every attempt; the test gives each verdict when it likes.
struct ScriptedLauncher : ProgramLauncher
{
    QList<QStringList> attempts;
    Verdict pending;

    void start(const QString &program, const QStringList &arguments, Verdict verdict) override
    {
        attempts << QStringList{program} + arguments;
        pending = std::move(verdict);
    }
    void tell(bool runs) { std::exchange(pending, nullptr)(runs); }
};

class TestHelp : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    PdfPrinterSource m_printers{m_dir.filePath(u"about.pdf"_s)};

private slots:
    void init() { m_prompts.clear(); }

    // A viewer that ends with an error at once counts as not found; verdicts come after the call returns.
    void viewersTriedInOrder_data()
    {
        QTest::addColumn<QList<bool>>("verdicts"); // runs, one per attempt
        QTest::addColumn<QStringList>("messages");
        const QString finished = u"When you are finished viewing the Help document, click on the [X] box in the "
                                 "upper right corner to return to the Splitwatch."_s;
        const QString notFound = u"An appropriate viewer was not found on your system."_s;
        QTest::newRow("first viewer runs") << QList<bool>{true} << QStringList{finished};
        QTest::newRow("first fails at once, second runs") << QList<bool>{false, true} << QStringList{finished};
        QTest::newRow("none runs") << QList<bool>{false, false, false, false} << QStringList{finished, notFound};
    }

    void viewersTriedInOrder()
    {
        QFETCH(QList<bool>, verdicts);
        const QString doc = u"/opt/sw dir/TimerHelp.txt"_s;
        ScriptedLauncher launcher;
        HelpCommand(doc, m_prompts, launcher).showProgramHelp();
        for (int i = 0; i < verdicts.size(); ++i) {
            QCOMPARE(launcher.attempts.size(), i + 1);
            QCOMPARE(m_prompts.asked.size(), size_t(1));
            launcher.tell(verdicts[i]);
        }
        QVERIFY(!launcher.pending);
        // The document is one argument, blanks and all, always the last.
        const QList<QStringList> viewers{{"xdg-open", doc}, {"gio", "open", doc}, {"gedit", doc}, {"xterm", "-e", "less", doc}};
        QCOMPARE(launcher.attempts, viewers.mid(0, verdicts.size()));
        QTEST(m_prompts.messageTexts(), "messages");
        for (const ScriptedPrompts::Asked &a : m_prompts.asked)
            QVERIFY(a.message.title == u"Splitwatch"_s && a.message.buttons == Buttons::Ok && a.message.icon == Icon::None);
    }

    // Print puts it on the printer (a PDF here) without a dialog; OK or a click on its background closes it.
    void aboutWindow_data()
    {
        QTest::addColumn<QString>("clickOn");
        QTest::newRow("ok button") << u"okButton"_s;
        QTest::newRow("background") << QString();
    }

    void aboutWindow()
    {
        QFETCH(QString, clickOn);
        QPointer<AboutWindow> form = new AboutWindow(m_printers, m_prompts);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE((QStringList{form->versionLabel->text(), form->okButton->text(), form->printButton->text()}),
                 (QStringList{u"Splitwatch v1.1   A.004"_s, u"OK"_s, u"Print"_s}));
        QVERIFY(!form->pictureLabel->pixmap().isNull());
        QVERIFY(!form->isModal());
        form->resize(480, 240);
        QTest::mouseClick(form->printButton, Qt::LeftButton);
        QVERIFY(form->isVisible());
        // Printed turned to landscape below its caption; the reports printed later keep portrait.
        const std::vector<PdfPage> pages = readPdfWords(m_dir.filePath(u"about.pdf"_s));
        QCOMPARE(pages.size(), size_t(1));
        QVERIFY(pages[0].width > pages[0].height);
        const PdfWord *caption = pages[0].find(u"About"_s);
        QVERIFY(caption);
        QCOMPARE(pages[0].lineOf(*caption), (QStringList{u"About"_s, u"Splitwatch"_s}));
        QCOMPARE(m_printers.printer().pageLayout().orientation(), QPageLayout::Portrait);
        QTest::mouseClick(clickOn.isEmpty() ? form.data() : form->findChild<QWidget *>(clickOn), Qt::LeftButton, {},
                          QPoint(3, 3));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        QCOMPARE(m_prompts.asked.size(), size_t(0));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
