// The comments window opened from the main window's menu: its texts, OK,
// Cancel, and closing when another window of the program becomes active.

#include "files/FileRig.h"

#include "files/frmComments.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

using namespace sw;

class TestFrmComments : public QObject
{
    Q_OBJECT
private slots:
    void showsCommentsAndTexts();
    void endings_data();
    void endings();
};

static frmComments *openComments(FileRig &r)
{
    r.f.w->ui.mnuComments->trigger();
    frmComments *c = r.cmd->commentsWindow();
    if (c) {
        QCoreApplication::processEvents();
        if (!c->isActiveWindow()) { // the platform may not have done it yet
            QApplication::setActiveWindow(c);
            QCoreApplication::processEvents();
        }
    }
    return c;
}

void TestFrmComments::showsCommentsAndTexts()
{
    FileRig r;
    r.f.state.Comments = QStringLiteral("Heat 1\r\nwet track\r\n");
    frmComments *c = openComments(r);
    QVERIFY(c);
    QVERIFY(c->isVisible());
    QVERIFY(!c->isModal());
    QCOMPARE(c->windowTitle(), QStringLiteral("Splitwatch File Comments"));
    QCOMPARE(c->Text1->toPlainText(), QStringLiteral("Heat 1\nwet track\n"));
    QCOMPARE(c->Label1->text(), QStringLiteral("Tip:  Enter comments to describe the specs in this file.  These "
                                               "will be printed with reports and saved when you save this file."));
    QCOMPARE(c->Label2->text(), QStringLiteral("Important:  We recommend you press <Enter> at the end of each "
                                               "line or comment to ensure all comments are printed on printouts."));
    QCOMPARE(c->Command1[0]->text(), QStringLiteral("OK"));
    QCOMPARE(c->Command1[1]->text(), QStringLiteral("Cancel"));
}

void TestFrmComments::endings_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("closes");
    QTest::newRow("OK stores with CR LF") << "ok" << "dry\n\nsunny" << "dry\r\n\r\nsunny" << true;
    QTest::newRow("OK with an empty box") << "ok" << "" << "" << true;
    QTest::newRow("Cancel") << "cancel" << "dry" << "before" << true;
    QTest::newRow("main window becomes active") << "main window" << "dry" << "before" << true;
    QTest::newRow("another application becomes active") << "other application" << "dry" << "before" << false;
}

void TestFrmComments::endings()
{
    QFETCH(QString, ending);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, closes);
    FileRig r;
    r.f.state.Comments = QStringLiteral("before");
    QPointer<frmComments> c = openComments(r);
    QVERIFY(c);
    QVERIFY(c->isActiveWindow());
    c->Text1->setFocus();
    c->Text1->selectAll();
    QTest::keyClick(c->Text1, Qt::Key_Delete);
    const QStringList lines = typed.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(c->Text1, Qt::Key_Return);
        QTest::keyClicks(c->Text1, lines[i]);
    }
    QCOMPARE(c->Text1->toPlainText(), typed);

    if (ending == QLatin1String("ok")) {
        QTest::mouseClick(c->Command1[0], Qt::LeftButton);
    } else if (ending == QLatin1String("cancel")) {
        QTest::mouseClick(c->Command1[1], Qt::LeftButton);
    } else if (ending == QLatin1String("main window")) {
        QApplication::setActiveWindow(r.f.w.get());
    } else {
        // No window of the program has the focus any more.
        emit qGuiApp->focusWindowChanged(nullptr);
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(r.f.state.Comments, stored);
    QCOMPARE(c.isNull() || !c->isVisible(), closes);
    if (closes)
        QVERIFY(c.isNull()); // unloaded: the next menu click loads a fresh one
    QCOMPARE(r.f.state.SpecsChanged, 0);
    QCOMPARE(r.f.prompts.asked.size(), size_t(0));
}

QTEST_MAIN(TestFrmComments)
#include "tst_frmcomments.moc"
