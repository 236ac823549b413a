// Options > "Share Live Timing…" on the real main window: off at the start,
// started on a chosen interface and port, the link with its token and the QR
// code shown, the note below the controls (the window grows by its line), the snapshot following the race, a port
// that cannot be had told through the prompts, and stopping.

#include "app/ShareDialog.h"
#include "share/LiveSharing.h"
#include "share/LiveTimingServer.h"
#include "support/RaceFixture.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

QJsonValue published(RaceFixture &f, const char *key)
{
    return QJsonDocument::fromJson(f.w->sharing().server().latestJson()).object()[QLatin1String(key)];
}

void chooseLoopback(ShareDialog &d, int port)
{
    d.portBox->setValue(port);
    d.interfaceBox->setCurrentIndex(d.interfaceBox->findData(QStringLiteral("127.0.0.1")));
    QVERIFY(d.interfaceBox->currentIndex() > 0);
}

} // namespace

class TestShareDialog : public QObject
{
    Q_OBJECT
private slots:
    void sharesTheRaceFromTheOptionsMenu()
    {
        RaceFixture f;
        const QString caption = f.w->windowTitle();
        const int height = f.w->ui.client->height();
        QVERIFY(!f.w->sharing().isSharing());
        QCOMPARE(f.w->ui.shareLiveTimingAction->text(), QStringLiteral("Share Live Timing\u2026"));
        QVERIFY(f.w->ui.optionsMenu->actions().contains(f.w->ui.shareLiveTimingAction));
        f.w->ui.shareLiveTimingAction->trigger();
        ShareDialog &d = f.w->shareDialog();
        QVERIFY(d.isVisible());
        QCOMPARE(d.portBox->value(), int(LiveSharing::DefaultPort));
        QCOMPARE(d.interfaceBox->itemText(0), QStringLiteral("All interfaces"));
        QCOMPARE(d.linkLabel->text(), QStringLiteral("The race is not shared."));
        chooseLoopback(d, 0);
        d.startStopButton->click();
        QVERIFY(f.w->sharing().isSharing());
        const QString link = QStringLiteral("href=\"http://127.0.0.1:%1/?t=%2\"").arg(f.w->sharing().server().port())
                                     .arg(QString::fromLatin1(f.w->sharing().server().token()));
        QVERIFY2(d.linkLabel->text().contains(link), qPrintable(d.linkLabel->text()));
        QVERIFY(!d.qrLabel->pixmap().isNull());
        QCOMPARE(d.startStopButton->text(), QStringLiteral("Stop Sharing"));
        QVERIFY(!d.portBox->isEnabled());
        auto *note = f.w->findChild<QLabel *>(QStringLiteral("sharingNote"));
        QCOMPARE(note->text(), QStringLiteral("This race is shared live at http://127.0.0.1:%1/?t=%2")
                                   .arg(f.w->sharing().server().port()).arg(QString::fromLatin1(f.w->sharing().server().token())));
        QVERIFY(f.w->statusBar()->isVisibleTo(f.w.get()));
        QCOMPARE(f.w->ui.client->height(), height); // the controls keep their room
        QCOMPARE(f.w->windowTitle(), caption);
        QVERIFY(f.prompts.asked.empty());

        // The page follows the race; its delta and predicted lap are the
        // window's: lap 2 of 58 s against the best of 60.5 s.
        f.armAndPress({2, 62.5});
        QTRY_COMPARE(published(f, "lastLap").toString(), QStringLiteral("60.500"));
        f.pressAt(120.5);
        QTRY_COMPARE(published(f, "deltaToBest").toDouble(), -2.5);
        QCOMPARE(published(f, "predictedLap").toString(), QStringLiteral("58.000"));
        d.startStopButton->click();
        QVERIFY(!f.w->sharing().isSharing());
        QVERIFY(!f.w->statusBar()->isVisibleTo(f.w.get()));
        QCOMPARE(d.linkLabel->text(), QStringLiteral("The race is not shared."));
        QVERIFY(d.qrLabel->pixmap().isNull());
        QVERIFY(d.portBox->isEnabled());
    }

    void aPortInUseIsTold()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        RaceFixture f;
        ShareDialog &d = f.w->shareDialog();
        chooseLoopback(d, taken.serverPort());
        d.startStopButton->click();
        QVERIFY(!f.w->sharing().isSharing());
        QCOMPARE(f.prompts.asked.size(), size_t(1));
        QVERIFY2(f.prompts.asked[0].message.text.startsWith(
                     QStringLiteral("Live timing cannot be shared on port %1:\n").arg(taken.serverPort())),
                 qPrintable(f.prompts.asked[0].message.text));
        QCOMPARE(d.startStopButton->text(), QStringLiteral("Start Sharing"));
    }
};

QTEST_MAIN(TestShareDialog)
#include "tst_sharedialog.moc"
