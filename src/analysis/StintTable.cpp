#include "analysis/StintTable.h"

namespace sw {

namespace {

QString figure(const std::optional<double> &v)
{
    return v ? QString::number(*v, 'f', 3) : QString();
}

QString joined(const std::vector<Stint> &stints, QLatin1Char separator, const char *lineEnd)
{
    QString text = stintTableHeader().join(separator) + QLatin1String(lineEnd);
    for (const QStringList &row : stintTableRows(stints))
        text += row.join(separator) + QLatin1String(lineEnd);
    return text;
}

} // namespace

QStringList stintTableHeader()
{
    return {QStringLiteral("Stint"),   QStringLiteral("First Lap"), QStringLiteral("Last Lap"),
            QStringLiteral("Laps"),    QStringLiteral("Best"),      QStringLiteral("Average"),
            QStringLiteral("Spread"),  QStringLiteral("Trend (s/lap)")};
}

std::vector<QStringList> stintTableRows(const std::vector<Stint> &stints)
{
    std::vector<QStringList> rows;
    rows.reserve(stints.size());
    int number = 0;
    for (const Stint &s : stints) {
        QString trend;
        if (s.trend)
            trend = (*s.trend >= 0 ? QStringLiteral("+") : QString()) + figure(s.trend);
        rows.push_back({QString::number(++number), QString::number(s.firstLap),
                        QString::number(s.lastLap), QString::number(s.laps), figure(s.best),
                        figure(s.average), figure(s.spread), trend});
    }
    return rows;
}

QString stintTableTabSeparated(const std::vector<Stint> &stints)
{
    return joined(stints, QLatin1Char('\t'), "\n");
}

QByteArray stintTableCsv(const std::vector<Stint> &stints)
{
    return joined(stints, QLatin1Char(','), "\r\n").toUtf8();
}

} // namespace sw
