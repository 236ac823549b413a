#include "journal/JournalFormat.h"

#include <QList>

#include <cmath>
#include <cstring>
#include <limits>

namespace sw {

namespace {

constexpr char Magic[] = "SPLITWATCH-JOURNAL";
constexpr int ChecksumTail = 10; // " *" and 8 hex digits

struct CrcTable
{
    quint32 entry[256];
    CrcTable()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entry[i] = c;
        }
    }
};

QByteArray num(qint64 v) { return QByteArray::number(v); }

QByteArray optionalNum(const std::optional<qint64> &v) { return v ? num(*v) : QByteArray("-"); }
QByteArray optionalNum(const std::optional<qint16> &v) { return v ? num(*v) : QByteArray("-"); }

QByteArray conditionFields(const JournalConditions &c)
{
    return num(c.flag) + ' ' + num(c.position) + ' ' + num(c.traffic);
}

const char *editName(JournalEdit e)
{
    switch (e) {
    case JournalEdit::Insert: return "insert";
    case JournalEdit::Delete: return "delete";
    case JournalEdit::KeepChanges: return "keep";
    case JournalEdit::Undo: return "undo";
    case JournalEdit::Redo: return "redo";
    }
    return "keep";
}

// ---- reading ---------------------------------------------------------------

// Strict decimal: optional '-', 1 to 19 digits, no blanks, no '+', in range.
bool parseInt(const QByteArray &t, qint64 lo, qint64 hi, qint64 *out)
{
    qsizetype i = 0;
    bool negative = false;
    if (t.startsWith('-')) {
        negative = true;
        i = 1;
    }
    const qsizetype digits = t.size() - i;
    if (digits < 1 || digits > 19)
        return false;
    quint64 v = 0;
    for (; i < t.size(); ++i) {
        const char ch = t.at(i);
        if (ch < '0' || ch > '9')
            return false;
        v = v * 10 + quint64(ch - '0'); // 19 digits fit in 64 unsigned bits
    }
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    if (v > limit)
        return false;
    const qint64 s = negative ? qint64(0 - v) : qint64(v);
    if (s < lo || s > hi)
        return false;
    *out = s;
    return true;
}

template<typename T>
bool parseSmall(const QByteArray &t, qint64 lo, qint64 hi, T *out)
{
    qint64 v = 0;
    if (!parseInt(t, lo, hi, &v))
        return false;
    *out = T(v);
    return true;
}

bool parseConditions(const QList<QByteArray> &f, int at, JournalConditions *c)
{
    return parseSmall(f[at], 0, 1, &c->flag) && parseSmall(f[at + 1], 0, 99, &c->position)
        && parseSmall(f[at + 2], 0, 2, &c->traffic);
}

bool parseBootId(const QByteArray &t, JournalArm *arm)
{
    if (t == "-") {
        arm->setBootId(QByteArray());
        return true;
    }
    if (t.isEmpty() || t.size() >= JournalArm::BootIdSize)
        return false;
    for (char ch : t) {
        const bool ok = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '-';
        if (!ok)
            return false;
    }
    arm->setBootId(t);
    return true;
}

bool parseArm(const QList<QByteArray> &f, JournalArm *arm)
{
    if (f.size() != 7)
        return false;
    bool ok = false;
    const double tps = f[5].toDouble(&ok); // QByteArray::toDouble reads the C locale
    if (!ok || !std::isfinite(tps) || tps <= 0 || f[5].contains(' '))
        return false;
    arm->ticksPerSecond = tps;
    return parseInt(f[1], 0, std::numeric_limits<qint64>::max(), &arm->monotonicNs) && parseBootId(f[2], arm)
        && parseInt(f[3], std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &arm->wallMs)
        && parseSmall(f[4], 1, 4, &arm->numSegs) && parseSmall(f[6], 1, 1000, &arm->timerIntervalMs);
}

bool parseRow(const QList<QByteArray> &f, qint16 minLap, JournalRow *row)
{
    if (f.size() != 9 || f[0] != "row" || !parseSmall(f[1], minLap, 251, &row->lap))
        return false;
    for (int i = 0; i < 4; ++i) {
        const QByteArray &t = f[2 + i];
        if (t == "-") {
            row->readingsUs[i].reset();
            continue;
        }
        qint64 v = 0;
        if (!parseInt(t, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &v))
            return false;
        row->readingsUs[i] = v;
    }
    static constexpr qint64 conditionMax[3] = {1, 99, 2};
    for (int i = 0; i < 3; ++i) {
        const QByteArray &t = f[6 + i];
        if (t == "-") {
            row->conditions[i].reset();
            continue;
        }
        qint16 v = 0;
        if (!parseSmall(t, 0, conditionMax[i], &v))
            return false;
        row->conditions[i] = v;
    }
    return true;
}

bool parseEdit(const QList<QByteArray> &f, qint16 numSegs, JournalSnapshot *s, int *rowCount)
{
    if (f.size() != 8)
        return false;
    if (f[1] == "insert")
        s->edit = JournalEdit::Insert;
    else if (f[1] == "delete")
        s->edit = JournalEdit::Delete;
    else if (f[1] == "keep")
        s->edit = JournalEdit::KeepChanges;
    else if (f[1] == "undo")
        s->edit = JournalEdit::Undo;
    else if (f[1] == "redo")
        s->edit = JournalEdit::Redo;
    else
        return false;
    return parseSmall(f[2], 0, 251, &s->editLap) && parseSmall(f[3], 0, 4, &s->editSeg)
        && parseSmall(f[4], numSegs, numSegs, &s->numSegs) && parseSmall(f[5], 0, 250, &s->lastLap)
        && parseSmall(f[6], 0, 251, &s->curLap) && parseSmall(f[7], 0, 252, rowCount);
}

// One line without its '\n': the content when the checksum matches.
bool checkedContent(const QByteArray &line, QByteArray *content)
{
    if (line.size() < ChecksumTail || line.at(line.size() - ChecksumTail) != ' '
        || line.at(line.size() - ChecksumTail + 1) != '*')
        return false;
    quint32 stored = 0;
    for (qsizetype i = line.size() - 8; i < line.size(); ++i) {
        const char ch = line.at(i);
        int d;
        if (ch >= '0' && ch <= '9')
            d = ch - '0';
        else if (ch >= 'A' && ch <= 'F')
            d = ch - 'A' + 10;
        else
            return false;
        stored = stored << 4 | quint32(d);
    }
    const qsizetype size = line.size() - ChecksumTail;
    if (crc32(line.constData(), size) != stored)
        return false;
    *content = line.left(size);
    return true;
}

// The record reader: takes good lines in order and says when one does not fit.
class RaceBuilder
{
public:
    JournalRace race;
    bool armed = false;
    bool started = false;

    // Applies one record; false when it is not a record of this version or
    // does not fit where it stands.
    bool apply(const QByteArray &content)
    {
        if (race.closed != JournalClose::Open)
            return false; // nothing follows the close record
        if (m_rowsDue > 0)
            return applyRow(content);
        const QList<QByteArray> f = content.split(' ');
        const QByteArray &kind = f[0];
        if (!armed) {
            if (kind != "arm" || !parseArm(f, &race.arm))
                return false;
            armed = true;
            return true;
        }
        if (kind == "cond") {
            JournalConditions c;
            if (f.size() != 4 || !parseConditions(f, 1, &c))
                return false;
            race.conditions = c;
            return true;
        }
        if (kind == "start") {
            JournalPress p;
            if (started || race.finished || f.size() != 5
                || !parseInt(f[1], 0, std::numeric_limits<qint64>::max(), &p.readingUs)
                || !parseConditions(f, 2, &p.conditions))
                return false;
            p.lap = 0;
            p.seg = race.arm.numSegs;
            started = true;
            race.presses.push_back(p);
            race.conditions = p.conditions;
            return true;
        }
        if (kind == "press") {
            JournalPress p;
            if (!started || race.finished || f.size() != 7 || !parseSmall(f[1], 1, 251, &p.lap)
                || !parseSmall(f[2], 1, race.arm.numSegs, &p.seg)
                || !parseInt(f[3], 0, std::numeric_limits<qint64>::max(), &p.readingUs)
                || !parseConditions(f, 4, &p.conditions))
                return false;
            race.presses.push_back(p);
            race.conditions = p.conditions;
            return true;
        }
        if (kind == "finish") {
            if (!started || race.finished || f.size() != 2 || !parseSmall(f[1], 0, 250, &race.lastLap))
                return false;
            race.finished = true;
            return true;
        }
        if (kind == "comments") {
            if (!content.startsWith("comments "))
                return false;
            QString text;
            if (!unescapeJournalText(content.mid(9), &text))
                return false;
            race.comments = text;
            return true;
        }
        if (kind == "edit") {
            int rows = 0;
            m_pending = JournalSnapshot();
            if (!race.finished || !parseEdit(f, race.arm.numSegs, &m_pending, &rows))
                return false;
            m_rowsDue = rows;
            if (rows == 0)
                race.edits.push_back(m_pending);
            return true;
        }
        if (kind == "close") {
            if (f.size() != 2)
                return false;
            if (f[1] == "saved")
                race.closed = JournalClose::Saved;
            else if (f[1] == "discarded")
                race.closed = JournalClose::Discarded;
            else
                return false;
            return true;
        }
        return false;
    }

    // True while the rows of an edit are still to come.
    bool inEdit() const { return m_rowsDue > 0; }

private:
    bool applyRow(const QByteArray &content)
    {
        JournalRow row;
        const qint16 minLap = m_pending.rows.empty() ? 0 : qint16(m_pending.rows.back().lap + 1);
        if (!parseRow(content.split(' '), minLap, &row))
            return false;
        m_pending.rows.push_back(row);
        if (--m_rowsDue == 0)
            race.edits.push_back(std::move(m_pending));
        return true;
    }

    JournalSnapshot m_pending;
    int m_rowsDue = 0;
};

} // namespace

// ---- writing ---------------------------------------------------------------

quint32 crc32(const char *data, qsizetype size)
{
    static const CrcTable table;
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table.entry[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray journalLine(const QByteArray &content)
{
    QByteArray hex = QByteArray::number(crc32(content), 16).toUpper();
    return content + " *" + QByteArray(8 - hex.size(), '0') + hex + '\n';
}

QByteArray journalHeaderLine()
{
    return journalLine(QByteArray(Magic) + ' ' + num(JournalFormatVersion));
}

QByteArray journalArmLine(const JournalArm &arm)
{
    const QByteArray boot = arm.bootId[0] ? QByteArray(arm.bootId) : QByteArray("-");
    // 17 significant digits give back the same double when read.
    return journalLine("arm " + num(arm.monotonicNs) + ' ' + boot + ' ' + num(arm.wallMs) + ' ' + num(arm.numSegs)
                       + ' ' + QByteArray::number(arm.ticksPerSecond, 'g', 17) + ' ' + num(arm.timerIntervalMs));
}

QByteArray journalConditionsLine(const JournalConditions &c)
{
    return journalLine("cond " + conditionFields(c));
}

QByteArray journalPressLine(const JournalPress &p)
{
    if (p.isStart())
        return journalLine("start " + num(p.readingUs) + ' ' + conditionFields(p.conditions));
    return journalLine("press " + num(p.lap) + ' ' + num(p.seg) + ' ' + num(p.readingUs) + ' '
                       + conditionFields(p.conditions));
}

QByteArray journalFinishLine(qint16 lastLap) { return journalLine("finish " + num(lastLap)); }

QByteArray journalCommentsLine(const QString &comments)
{
    return journalLine("comments " + escapeJournalText(comments));
}

QByteArray journalSnapshotLines(const JournalSnapshot &s)
{
    QByteArray out = journalLine(QByteArray("edit ") + editName(s.edit) + ' ' + num(s.editLap) + ' ' + num(s.editSeg)
                                 + ' ' + num(s.numSegs) + ' ' + num(s.lastLap) + ' ' + num(s.curLap) + ' '
                                 + num(qint64(s.rows.size())));
    for (const JournalRow &r : s.rows) {
        QByteArray line = "row " + num(r.lap);
        for (const auto &v : r.readingsUs)
            line += ' ' + optionalNum(v);
        for (const auto &c : r.conditions)
            line += ' ' + optionalNum(c);
        out += journalLine(line);
    }
    return out;
}

QByteArray journalCloseLine(JournalClose how)
{
    return journalLine(how == JournalClose::Saved ? "close saved" : "close discarded");
}

QByteArray escapeJournalText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        const auto u = quint8(ch);
        if (ch == '\\')
            out += "\\\\";
        else if (ch == '\r')
            out += "\\r";
        else if (ch == '\n')
            out += "\\n";
        else if (u < 0x20 || u == 0x7F) {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else
            out += ch;
    }
    return out;
}

bool unescapeJournalText(const QByteArray &escaped, QString *text)
{
    QByteArray out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char ch = escaped.at(i);
        const auto u = quint8(ch);
        if (u < 0x20 || u == 0x7F)
            return false; // the writer escapes every control character
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (++i >= escaped.size())
            return false;
        const char e = escaped.at(i);
        if (e == '\\')
            out += '\\';
        else if (e == 'r')
            out += '\r';
        else if (e == 'n')
            out += '\n';
        else if (e == 'x' && i + 2 < escaped.size()) {
            qint64 v = 0;
            bool ok = false;
            v = escaped.mid(i + 1, 2).toLongLong(&ok, 16);
            const auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
            if (!ok || !isHex(escaped.at(i + 1)) || !isHex(escaped.at(i + 2)) || (v >= 0x20 && v != 0x7F))
                return false;
            if (v == '\r' || v == '\n')
                return false; // written as \r and \n
            out += char(v);
            i += 2;
        } else
            return false;
    }
    *text = QString::fromUtf8(out);
    return true;
}

// ---- reading a whole journal ------------------------------------------------

JournalReadResult readJournal(const QByteArray &bytes)
{
    JournalReadResult result;
    if (bytes.isEmpty()) {
        result.message = QStringLiteral("The journal file is empty.");
        return result;
    }

    // The header is "SPLITWATCH-JOURNAL <version>" in every version, so a
    // newer journal is recognised before its lines are checked.
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QByteArray first = bytes.left(firstEnd < 0 ? bytes.size() : firstEnd);
    const QByteArray magic = QByteArray(Magic) + ' ';
    if (!first.startsWith(magic)) {
        result.message = QStringLiteral("The file is not a Splitwatch journal.");
        return result;
    }
    {
        qsizetype end = magic.size();
        while (end < first.size() && first.at(end) >= '0' && first.at(end) <= '9')
            ++end;
        qint64 version = 0;
        if (parseInt(first.mid(magic.size(), end - magic.size()), 0, 999999, &version)
            && version > JournalFormatVersion) {
            result.message = QStringLiteral("The journal was written by a newer Splitwatch (format %1); "
                                            "this one reads format %2.")
                                 .arg(version)
                                 .arg(JournalFormatVersion);
            return result;
        }
    }
    QByteArray content;
    if (firstEnd < 0 || !checkedContent(first, &content) || content != magic + num(JournalFormatVersion)) {
        result.message = QStringLiteral("The first line of the journal is damaged.");
        return result;
    }

    RaceBuilder builder;
    qsizetype pos = firstEnd + 1;
    int line = 2;
    result.goodLength = pos;
    result.goodLines = 1;
    int badLine = 0;
    bool badChecksum = false;
    while (pos < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', pos);
        const bool whole = end >= 0;
        const QByteArray text = bytes.mid(pos, (whole ? end : bytes.size()) - pos);
        if (!whole || !checkedContent(text, &content)) {
            badLine = line;
            badChecksum = true;
            break;
        }
        if (!builder.apply(content)) {
            badLine = line;
            break;
        }
        pos = end + 1;
        ++line;
        if (!builder.inEdit()) {
            result.goodLength = pos;
            result.goodLines = line - 1;
        }
    }
    if (builder.inEdit() && badLine == 0) {
        badLine = line; // the rows of the last edit never came: cut short like a torn line
        badChecksum = true;
    }

    if (!builder.armed) {
        result.message = QStringLiteral("The journal holds no race: it ends before the race was armed.");
        return result;
    }
    result.race = std::move(builder.race);
    if (badLine == 0) {
        result.status = JournalReadStatus::Complete;
        return result;
    }

    // A bad checksum with no good line after it is the tail a crash cut
    // short; anything else is damage in the middle of the file.
    bool goodLater = !badChecksum;
    for (qsizetype p = bytes.indexOf('\n', pos); !goodLater && p >= 0 && p + 1 < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', p + 1);
        if (end < 0)
            break;
        goodLater = checkedContent(bytes.mid(p + 1, end - p - 1), &content);
        p = end;
    }
    if (goodLater) {
        result.status = JournalReadStatus::DamagedRecovered;
        result.message = QStringLiteral("Line %1 of the journal is damaged; the race is recovered up to line %2.")
                             .arg(badLine)
                             .arg(result.goodLines);
    } else {
        result.status = JournalReadStatus::TornTailDropped;
        result.message = QStringLiteral("The journal ends in a line cut short by the crash; "
                                        "the race is recovered up to line %1.")
                             .arg(result.goodLines);
    }
    return result;
}

} // namespace sw
