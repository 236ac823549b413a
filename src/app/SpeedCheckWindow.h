#pragma once
// The start-up window "Checking Computer Speed": runs the speed check on the
// events of its own timer and reports the outcome.

#include "app/SpeedCheck.h"

#include <QWidget>

#include <functional>

class QLabel;
class QScrollBar;
class QPushButton;

namespace sw {

class HiTime;

class SpeedCheckWindow : public QWidget
{
    Q_OBJECT
public:
    SpeedCheckWindow(HiTime &hiTime, QWidget *parent = nullptr);

    // Starts the check: first interval 1 ms, counts reset.
    void prepare();

    SpeedCheck &check() { return m_check; }

    QLabel *totalTicks = nullptr;
    QLabel *averageTicks = nullptr;
    QLabel *currentlyTrying = nullptr;
    QLabel *progress = nullptr;
    QScrollBar *intervalScrollBar = nullptr;
    QLabel *scrollCaption = nullptr;
    QLabel *value1 = nullptr;
    QLabel *value2 = nullptr;
    QPushButton *zeroButton = nullptr;
    QPushButton *intervalButton = nullptr;

signals:
    void accepted(int timerInterval, double ticksPerSecond);
    void tooSlow();

private:
    void onTimerTick(int overrun);
    void showCounts();

    HiTime &m_timer;
    SpeedCheck m_check;
};

} // namespace sw
