#pragma once
// The splash window shown while the speed check runs. Passive: it closes
// when the main window opens.

#include <QWidget>

namespace sw {

class SplashForm : public QWidget
{
    Q_OBJECT
public:
    explicit SplashForm(QWidget *parent = nullptr);
};

} // namespace sw
