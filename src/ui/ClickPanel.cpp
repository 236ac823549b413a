#include "ui/ClickPanel.h"

#include <QMouseEvent>

namespace sw {

ClickPanel::ClickPanel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
}

void ClickPanel::mousePressEvent(QMouseEvent *e)
{
    QLabel::mousePressEvent(e);
    emit clicked();
}

} // namespace sw
