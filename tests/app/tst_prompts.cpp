// A question answered from the keyboard gives the keyboard back to the
// window that had it: without a window manager X gives it to no window when
// the box goes, and the operator's next F2 would reach nothing.

#include "ui/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace sw;

class TestPrompts : public QObject
{
    Q_OBJECT
private slots:
    void keyboardComesBackAfterAnAnswer()
    {
        QWidget window;
        window.show();
        window.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QtPrompts prompts(&window);
        QTimer::singleShot(0, [] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->button(QMessageBox::No)->click();
            QApplication::setActiveWindow(nullptr); // the focus went to the root window
        });
        MessageSpec question;
        question.title = QStringLiteral("Finished Timing Race ?");
        question.text = QStringLiteral("Are you finished timing laps for this race?");
        question.buttons = Buttons::YesNo;
        question.defaultButton = Answer::No;
        QCOMPARE(prompts.message(question), Answer::No);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
    }
};

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
