#pragma once
// The splash window shown while the speed check runs. Passive: it closes
// when the main window opens.

#include <QWidget>

namespace sw {

class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *parent = nullptr);
};

} // namespace sw
