#pragma once
// A captioned, sunken panel that reports clicks: the clickable field name
// panels above the entry fields.

#include <QLabel>

namespace sw {

class ClickPanel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickPanel(const QString &caption, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
};

} // namespace sw
