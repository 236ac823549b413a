#include "app/SplashWindow.h"

#include "help/ProgramPicture.h"
#include "ui/Geometry.h"

#include <QLabel>

namespace sw {

SplashWindow::SplashWindow(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashWindow"));
    setFixedSize(tw(5400), tw(3600));
    auto *imgSplash = new QLabel(this);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    placeTw(imgSplash, 240, 240, 2700, 2700);
    imgSplash->setPixmap(programPicture(QSize(tw(2700), tw(2700)), devicePixelRatioF()));
    auto *titleLabel = new QLabel(QStringLiteral("Splitwatch"), this);
    placeTw(titleLabel, 3060, 1200, 2200, 600);
    QFont f = titleLabel->font();
    f.setPointSize(22);
    f.setBold(true);
    titleLabel->setFont(f);
    setAutoFillBackground(true);
}

} // namespace sw
