#include "analysis/RaceExport.h"

#include "analysis/LapAnalysis.h"
#include "analysis/LapFilter.h"
#include "race/ConditionLists.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>

namespace sw {

namespace {

const QLatin1String CrLf("\r\n");

QString itemOrEmpty(const QStringList &items, int position)
{
    return position >= 0 && position < items.size() ? items.at(position) : QString();
}

QJsonValue itemOrNull(const QStringList &items, int position)
{
    return position >= 0 && position < items.size() ? QJsonValue(items.at(position)) : QJsonValue();
}

QString csvHeader(int segmentColumns, bool withFile)
{
    QStringList h;
    if (withFile)
        h << QStringLiteral("file");
    h << QStringLiteral("lap");
    for (int s = 1; s <= segmentColumns; ++s)
        h << QStringLiteral("seg%1").arg(s);
    h << QStringLiteral("lap_time") << QStringLiteral("flag") << QStringLiteral("position")
      << QStringLiteral("traffic");
    return h.join(QLatin1Char(',')) + CrLf;
}

// The lap lines of one race; file is the first field when withFile is set.
QString csvLaps(const Race &race, int segmentColumns, bool withFile, const QString &file)
{
    QString out;
    const QString fileField = csvField(file);
    for (int lap = 1; lap <= lapsInRace(race); ++lap) {
        const LapTimes t = lapTimes(race, lap);
        const Conditions c = race.lapConditions(lap);
        QStringList f;
        if (withFile)
            f << fileField;
        f << QString::number(lap);
        for (int s = 0; s < segmentColumns; ++s)
            f << exportTimeText(t.segmentText[s]); // empty beyond the race's segments
        f << exportTimeText(t.lapTimeText) << csvField(itemOrEmpty(flagItems(), c.flag))
          << csvField(itemOrEmpty(positionItems(), c.position))
          << csvField(itemOrEmpty(trafficItems(), c.traffic));
        out += f.join(QLatin1Char(',')) + CrLf;
    }
    return out;
}

} // namespace

QString exportTimeText(const QString &gridText)
{
    if (gridText.startsWith(QLatin1Char('.')))
        return QLatin1Char('0') + gridText;
    if (gridText.startsWith(QLatin1String("-.")))
        return QLatin1String("-0") + gridText.mid(1);
    return gridText;
}

QString csvField(const QString &text)
{
    const bool mustQuote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
                           || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!mustQuote)
        return text;
    QString q = text;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QByteArray raceToCsv(const Race &race)
{
    const int n = race.segmentsPerLap();
    return (csvHeader(n, false) + csvLaps(race, n, false, QString())).toUtf8();
}

QByteArray racesToCsv(const std::vector<ExportedRace> &races)
{
    int n = 1;
    for (const ExportedRace &r : races)
        n = std::max(n, r.race->segmentsPerLap());
    QString out = csvHeader(n, true);
    for (const ExportedRace &r : races)
        out += csvLaps(*r.race, n, true, r.file);
    return out.toUtf8();
}

QJsonObject raceToJson(const Race &r)
{
    QJsonObject race;
    const int n = r.segmentsPerLap();
    race.insert(QStringLiteral("segments"), n);
    race.insert(QStringLiteral("last_lap"), lapsInRace(r));
    const QString comments = r.comments();

    // The comments' lines; no comment at all is no line.
    QJsonArray lines;
    if (!comments.isEmpty()) {
        QString text = comments;
        text.replace(CrLf, QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString &line : text.split(QLatin1Char('\n')))
            lines.append(line);
    }
    race.insert(QStringLiteral("comments"), lines);

    QJsonArray laps;
    for (int lap = 1; lap <= lapsInRace(r); ++lap) {
        const LapTimes t = lapTimes(r, lap);
        const Conditions c = r.lapConditions(lap);
        QJsonObject o;
        o.insert(QStringLiteral("lap"), lap);
        QJsonArray segs;
        for (int s = 0; s < n; ++s)
            segs.append(t.segment[size_t(s)] ? QJsonValue(*t.segment[size_t(s)]) : QJsonValue());
        o.insert(QStringLiteral("segments"), segs);
        o.insert(QStringLiteral("lap_time"), t.lapTime ? QJsonValue(*t.lapTime) : QJsonValue());
        o.insert(QStringLiteral("flag"), itemOrNull(flagItems(), c.flag));
        o.insert(QStringLiteral("position"), c.position >= 0 ? QJsonValue(c.position + 1) : QJsonValue());
        o.insert(QStringLiteral("traffic"), itemOrNull(trafficItems(), c.traffic));
        laps.append(o);
    }
    race.insert(QStringLiteral("laps"), laps);
    return race;
}

QByteArray racesToJson(const std::vector<ExportedRace> &races)
{
    QJsonArray all;
    for (const ExportedRace &r : races) {
        QJsonObject o = raceToJson(*r.race);
        o.insert(QStringLiteral("file"), r.file);
        all.append(o);
    }
    return QJsonDocument(all).toJson(QJsonDocument::Indented);
}

} // namespace sw
