// Every text of the main window and of the program's dialogs fits the room
// its widget gives it, in both faces, every race state, 1 to 4 segments, at
// 100 % and 200 % zoom; the window and its dialogs fit a 1024 x 768 screen.

#include "app/WindowZoom.h"
#include "document/FileCommands.h"
#include "race/LapEditing.h"
#include "support/RaceFixture.h"
#include "ui/QtPrompts.h"
#include "ui/TextFit.h"

#include <QtWidgets>

using namespace sw;

namespace {

// The texts that do not fit, one a line: empty when all fit.
QString misfitList(QWidget *root)
{
    QStringList lines;
    for (const TextMisfit &m : textMisfits(root, true))
        lines << describe(m);
    return lines.join(QLatin1Char('\n'));
}

void zoomTo(RaceFixture &f, int zoom)
{
    f.w->zoom().setScreenSize(QSize(4000, 3000));
    QCOMPARE(f.w->zoom().setZoomPercent(zoom), zoom);
}

QString geometryText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestLayoutFit : public QObject
{
    Q_OBJECT

private slots:
    // The checker measures the room inside a label's frame and margin and a
    // drop-down list's field beside its arrow: a text as wide as the whole
    // widget does not fit.
    void checkerMeasuresTheRoomInside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("extra"); // pixels beyond the text's own width
        QTest::addColumn<bool>("fits");
        QTest::newRow("framed label, frame not counted") << "label" << 4 << false;
        QTest::newRow("framed label with room inside") << "label" << 24 << true;
        QTest::newRow("drop-down list over its arrow") << "combo" << 4 << false;
        QTest::newRow("drop-down list beside its arrow") << "combo" << 90 << true;
    }

    void checkerMeasuresTheRoomInside()
    {
        QFETCH(QString, kind);
        QFETCH(int, extra);
        QWidget root;
        const QString text = QStringLiteral("Held up by Traffic");
        QWidget *w = nullptr;
        if (kind == QLatin1String("label")) {
            auto *l = new QLabel(text, &root);
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
            l->setLineWidth(4);
            l->setMargin(3);
            w = l;
        } else {
            auto *c = new QComboBox(&root);
            c->addItem(text);
            w = c;
        }
        w->setProperty("designTwips", QRect(150, 150, 1500, 600)); // a placed widget
        w->move(10, 10);
        w->resize(QFontMetrics(w->font()).horizontalAdvance(text) + extra, 40);
        QTEST(textMisfits(&root).isEmpty(), "fits");
    }

    void mainWindowTextsFit_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<int>("stage"); // 0 setup, 1 armed, 2 running, 3 finished, 4 Ravelin
        QTest::addColumn<int>("zoom");
        const char *stages[] = {"setup", "armed", "running", "finished", "Ravelin"};
        for (int zoom : {100, 200})
            for (int stage = 0; stage < 5; ++stage)
                for (int segments : {1, 4})
                    QTest::addRow("%s, %d seg, %d %%", stages[stage], segments, zoom) << segments << stage << zoom;
    }

    void mainWindowTextsFit()
    {
        QFETCH(int, segments);
        QFETCH(int, stage);
        QFETCH(int, zoom);
        RaceFixture f(segments);
        zoomTo(f, zoom);
        if (stage == 4)
            f.race.setHeldInSetup(true);
        if (stage >= 1 && stage <= 3)
            f.arm();
        if (stage >= 2) {
            // Long times in every column, the widest condition texts.
            f.w->ui.trafficList->setCurrentIndex(2);
            f.w->ui.flagList->setCurrentIndex(1);
            f.w->ui.positionList->setCurrentIndex(99);
            for (int p = 0; p <= 2 * segments; ++p)
                f.pressAt(1.0 + p * 1234.567);
        }
        if (stage == 3)
            f.finish();
        QCOMPARE(misfitList(f.w.get()), QString());
    }

    // A segment time of 10000 s and more read from a file shows whole in its
    // field (the font gives way), at every zoom; a short time gets the
    // designed size back.
    void longSegmentTimesFromAFile_data()
    {
        QTest::addColumn<double>("segmentTime");
        QTest::addColumn<int>("zoom");
        for (int zoom : {100, 200}) {
            QTest::addRow("24999.999 s, %d %%", zoom) << 24999.999 << zoom;
            QTest::addRow("10000 s, %d %%", zoom) << 10000.0 << zoom;
            QTest::addRow("99999.999 s, %d %%", zoom) << 99999.999 << zoom;
        }
    }

    void longSegmentTimesFromAFile()
    {
        QFETCH(double, segmentTime);
        QFETCH(int, zoom);
        RaceFixture f(4);
        zoomTo(f, zoom);
        StoredRace stored;
        stored.segmentsPerLap = 4;
        stored.lastLap = 2;
        double reading = 0;
        stored.cells.rows[0][4].set(reading);
        for (int lap = 1; lap <= 2; ++lap)
            for (int s = 1; s <= 4; ++s) {
                reading += lap == 1 ? segmentTime : 12.5;
                stored.cells.rows[lap][s].set(reading);
            }
        f.race.load(stored);
        f.race.selectLap(1);
        QLineEdit *field = f.w->ui.segmentFields[3];
        const QString text = QString::number(segmentTime, 'f', 3);
        QCOMPARE(field->text(), text);
        QCOMPARE(misfitList(f.w.get()), QString());
        const double full = field->font().pointSizeF();
        f.race.selectLap(2);
        QCOMPARE(field->text(), QStringLiteral("12.500"));
        QVERIFY(field->font().pointSizeF() > full);
        f.w->ui.zoomInAction->trigger(); // a zoom keeps the size the text needs
        f.w->ui.zoomOutAction->trigger();
        f.race.selectLap(1);
        QCOMPARE(misfitList(f.w.get()), QString());
    }

    // The "Current Lap" frame's top line does not run through the three
    // "Graph" options: the frame as drawn shows each option just as the
    // option draws itself, in both faces and at both zooms.
    void graphOptionsStandClearOfTheFrameLine_data()
    {
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("zoom");
        for (int zoom : {100, 200}) {
            QTest::addRow("timing face, %d %%", zoom) << false << zoom;
            QTest::addRow("editing face, %d %%", zoom) << true << zoom;
        }
    }

    void graphOptionsStandClearOfTheFrameLine()
    {
        QFETCH(bool, finished);
        QFETCH(int, zoom);
        RaceFixture f(2);
        zoomTo(f, zoom);
        f.armAndPress({1.0, 12.0, 23.5});
        if (finished)
            f.finish();
        QGroupBox *frame = f.w->ui.currentLapFrame;
        const QImage drawn = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QRadioButton *option : f.w->ui.graphColourOptions) {
            QVERIFY(option->isVisible());
            const QImage alone = option->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage there = drawn.copy(QRect(option->geometry().topLeft() * drawn.devicePixelRatio(), alone.size()));
            QVERIFY2(there == alone, qPrintable(option->objectName()));
        }
    }

    void zoomStepsAndScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<QList<int>>("got");
        QTest::newRow("steps within a large screen") << QSize(4000, 3000) << QList<int>{125, 190, 250, 80}
                                                     << QList<int>{125, 175, 200, 100};
        QTest::newRow("a small screen stops at 100") << QSize(1024, 768) << QList<int>{200, 125}
                                                     << QList<int>{100, 100};
    }

    void zoomStepsAndScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(QList<int>, asked);
        QFETCH(QList<int>, got);
        RaceFixture f(2);
        WindowZoom &zoom = f.w->zoom();
        zoom.setScreenSize(screen);
        const int width100 = f.w->width();
        for (int i = 0; i < asked.size(); ++i) {
            QCOMPARE(zoom.setZoomPercent(asked[i]), got[i]);
            QVERIFY(qAbs(f.w->width() - width100 * got[i] / 100) <= 2);
            QVERIFY(f.w->frameGeometry().width() <= screen.width());
        }
        // The zoom keys act on the window and leave a race untouched.
        zoom.setZoomPercent(100);
        f.armAndPress({1.0, 2.5});
        f.w->ui.zoomInAction->trigger();
        f.pressAt(4.0);
        f.w->ui.actualSizeAction->trigger();
        f.pressAt(5.5);
        QCOMPARE(f.race.reading(1, 2), 4.0);
        QCOMPARE(f.race.reading(2, 1), 5.5);
    }

    // A remembered place that would leave the window (almost) off the screen
    // moves it on, title bar first; a place on the screen is kept. Zooming in
    // keeps the window on the screen.
    void rememberedPlaceOnTheScreen_data()
    {
        QTest::addColumn<QPoint>("remembered");
        QTest::addColumn<bool>("kept");
        QTest::newRow("on the screen") << QPoint(10, 20) << true;
        QTest::newRow("a few pixels over the left") << QPoint(-6, 20) << true;
        QTest::newRow("off to the right (a larger screen before)") << QPoint(2500, 200) << false;
        QTest::newRow("mostly off to the right") << QPoint(700, 100) << false;
        QTest::newRow("mostly off to the left") << QPoint(-700, 100) << false;
        QTest::newRow("title bar above the screen") << QPoint(10, -20) << false;
        QTest::newRow("title bar at the bottom") << QPoint(10, 740) << false;
        QTest::newRow("far off, both ways") << QPoint(-5000, -5000) << false;
    }

    void rememberedPlaceOnTheScreen()
    {
        QFETCH(QPoint, remembered);
        QFETCH(bool, kept);
        RaceFixture f(2);
        const QRect screen(0, 0, 1280, 1024);
        f.w->zoom().setScreenSize(screen.size());
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("settings.ini"));
        {
            QSettings s(ini, QSettings::IniFormat);
            s.setValue(QStringLiteral("window/position"), remembered);
            s.setValue(QStringLiteral("window/zoom"), 100);
        }
        f.w->zoom().useSettings(std::make_unique<QSettings>(ini, QSettings::IniFormat));
        const QRect frame = f.w->frameGeometry();
        if (kept)
            QCOMPARE(frame.topLeft(), remembered);
        else
            QVERIFY2(screen.contains(frame), qPrintable(geometryText(frame)));
        // Zooming in at the right edge: the larger window moves left.
        f.w->move(screen.right() + 1 - frame.width(), 0);
        QCOMPARE(f.w->zoom().setZoomPercent(125), 125);
        QVERIFY(f.w->frameGeometry().width() > frame.width());
        const QRect zoomed = f.w->frameGeometry();
        QVERIFY2(screen.contains(zoomed), qPrintable(geometryText(zoomed)));
    }

    void dialogsFitTheScreen_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("input");
        QTest::newRow("Enter Time to Insert")
            << insertPromptTitle() << insertPromptText(QStringLiteral("12.345")) << true;
        QTest::newRow("erase question") << "Splitwatch" << FileCommands::eraseQuestionText() << false;
        QTest::newRow("Save Changes?") << "Save Changes?" << FileCommands::saveChangesText() << false;
        QTest::newRow("copy to Ravelin") << "Splitwatch" << FileCommands::copyToRavelinText() << false;
        QTest::newRow("not a lap-time file") << "Bad File" << FileCommands::notLapFileText() << false;
        QTest::newRow("shortened name")
            << "Splitwatch" << FileCommands::shortenedNameText(QString(40, QLatin1Char('n'))) << false;
    }

    void dialogsFitTheScreen()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, input);
        std::unique_ptr<QDialog> dialog;
        if (input)
            dialog = QtPrompts::buildInputDialog(title, text, QString(), nullptr);
        else
            dialog = QtPrompts::buildMessageBox({title, text, Buttons::YesNoCancel, Icon::Question, Answer::No}, nullptr);
        dialog->show();
        QVERIFY(dialog->frameGeometry().width() <= 1024 && dialog->frameGeometry().height() <= 768);
        QCOMPARE(misfitList(dialog.get()), QString());
    }
};

QTEST_MAIN(TestLayoutFit)
#include "tst_layoutfit.moc"
