#include "ui/SpokenFigure.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace sw {

namespace {

const char *const SpokenFigureProperty = "spokenFigure";

class SpokenFigureAccessible : public QAccessibleWidget
{
public:
    explicit SpokenFigureAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        auto *label = static_cast<QLabel *>(widget());
        switch (t) {
        case QAccessible::Name:
            return label->accessibleName();
        case QAccessible::Value:
        case QAccessible::Description:
            return spokenFigure(label->text().trimmed());
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface *spokenFigureFactory(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object); label && label->property(SpokenFigureProperty).toBool())
        return new SpokenFigureAccessible(label);
    return nullptr;
}

} // namespace

QString spokenFigure(const QString &text)
{
    if (text.startsWith(QChar(0x2212)) || text.startsWith(QLatin1Char('-')))
        return QStringLiteral("minus ") + text.mid(1);
    if (text.startsWith(QLatin1Char('+')))
        return QStringLiteral("plus ") + text.mid(1);
    return text;
}

void makeSpokenFigure(QLabel *label, const QString &caption)
{
    static const bool installed = [] {
        QAccessible::installFactory(spokenFigureFactory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(SpokenFigureProperty, true);
    label->setAccessibleName(caption);
}

} // namespace sw
