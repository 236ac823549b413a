#include "files/LapFile.h"

#include "timing/NumberText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <bitset>
#include <cmath>

namespace sw {

namespace {

constexpr char CodePage[] = "windows-1252";
constexpr char CrLf[] = "\r\n";
// Written between the flag and the traffic of a row; the reader looks for its
// five middle characters only.
constexpr char ConditionSeparator[] = "  ```  ";
constexpr char ConditionSeparatorCore[] = " ``` ";

// ---------------------------------------------------------------- writing

QString cellPrintForm(const Cell &c, QChar decimalSeparator)
{
    switch (c.kind()) {
    case Cell::Empty:
        return QString();
    case Cell::Number:
        return printForm(c.value(), decimalSeparator);
    case Cell::Text:
        break;
    }
    // Verbatim, except that a line break would shift every later line.
    QString t = c.text();
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t;
}

// Str form: like the number-to-text form, always with a period and no
// trailing blank; an empty cell counts as 0, a text cell as its number.
QString cellStrForm(const Cell &c)
{
    return numberText(c.value());
}

// Comments with their line breaks, whatever they were, as CR LF.
QString normalisedComments(const QString &comments)
{
    QString s = comments;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1String("\n"), QLatin1String(CrLf));
    return s;
}

void appendLine(QString &out, const QString &line)
{
    out += line;
    out += QLatin1String(CrLf);
}

// Code points of text, a surrogate pair as one; a lone surrogate stands alone.
template<typename F>
void forEachCodePoint(const QString &text, F &&f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            len = 2;
        f(QStringView(text).mid(i, len));
        i += len;
    }
}

// The characters the code page holds: exactly those its 256 bytes decode to.
// (Asked of the converter once; an encoder cannot be asked character by
// character, as its error flag survives resetState().)
const std::bitset<0x10000> &codePageCharacters()
{
    static const std::bitset<0x10000> held = [] {
        std::bitset<0x10000> set;
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QStringDecoder dec(CodePage);
        const QString chars = dec.decode(all);
        for (QChar c : chars)
            if (c != QChar::ReplacementCharacter && !c.isSurrogate())
                set.set(c.unicode());
        return set;
    }();
    return held;
}

bool encodable(QStringView codePoint)
{
    return codePoint.size() == 1 && codePageCharacters().test(codePoint.at(0).unicode());
}

// ---------------------------------------------------------------- reading

// Splits text into lines ended by CR LF, LF or CR. A last line without a line
// end still counts; a line end at the very end opens no further line.
class LineReader
{
public:
    explicit LineReader(QStringView text) : m_text(text) { }

    bool atEnd() const { return m_pos >= m_text.size(); }
    int linesRead() const { return m_lines; }

    QStringView next()
    {
        const qsizetype start = m_pos;
        const qsizetype n = m_text.size();
        qsizetype i = start;
        while (i < n && m_text.at(i) != QLatin1Char('\r') && m_text.at(i) != QLatin1Char('\n'))
            ++i;
        const QStringView line = m_text.mid(start, i - start);
        if (i < n) {
            // CR LF, or a lone CR or LF
            if (m_text.at(i) == QLatin1Char('\r') && i + 1 < n && m_text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
        }
        m_pos = i;
        ++m_lines;
        return line;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
    int m_lines = 0;
};

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmedBlanks(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && isBlank(s.at(a)))
        ++a;
    while (b > a && isBlank(s.at(b - 1)))
        --b;
    return s.mid(a, b - a);
}

// Removes leading and trailing spaces (not tabs), as the split of the
// combined condition line does.
QString trimmedSpaces(QStringView s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s.at(a) == QLatin1Char(' '))
        ++a;
    while (b > a && s.at(b - 1) == QLatin1Char(' '))
        --b;
    return s.mid(a, b - a).toString();
}

// A short, printable quotation of a line for a problem text.
QString quoted(QStringView line)
{
    QString s = line.left(24).toString();
    for (QChar &c : s)
        if (c.unicode() < 0x20)
            c = QLatin1Char('?');
    if (line.size() > 24)
        s += QStringLiteral("...");
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Whether s is a decimal number: sign, digits with at most one point, an
// optional exponent; at least one digit before the exponent.
bool isDecimalNumber(QStringView s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto digit = [&](qsizetype k) { return k < n && s.at(k) >= QLatin1Char('0') && s.at(k) <= QLatin1Char('9'); };
    if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (digit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (digit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            ++i;
        if (!digit(i))
            return false;
        while (digit(i))
            ++i;
    }
    return i == n;
}

enum class FieldError { None, NotNumber, OutOfRange };

// A header value: the line up to its first comma, blanks around it dropped.
// A fraction is rounded half to even, as an integer variable takes it.
FieldError readIntegerField(QStringView line, qint16 *value)
{
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const QStringView field = trimmedBlanks(comma >= 0 ? line.left(comma) : line);
    if (!isDecimalNumber(field))
        return FieldError::NotNumber;
    bool ok = false;
    const double v = field.toLatin1().toDouble(&ok); // always a period, whatever the locale
    if (!ok || !std::isfinite(v))
        return FieldError::OutOfRange;
    const double r = roundHalfEven(v);
    if (r < -32768.0 || r > 32767.0)
        return FieldError::OutOfRange;
    *value = static_cast<qint16>(r);
    return FieldError::None;
}

// A file written where the decimal separator is a comma: the first comma of a
// cell is read as a period, or dropped when it starts the cell.
QString withDecimalPoint(QString s)
{
    const qsizetype i = s.indexOf(QLatin1Char(','));
    if (i == 0)
        s.remove(0, 1);
    else if (i > 0)
        s[i] = QLatin1Char('.');
    return s;
}

Cell cellFromText(const QString &t)
{
    Cell c;
    if (!t.isEmpty())
        c.setText(t);
    return c;
}

LapFileReadResult damaged(const QString &problem)
{
    LapFileReadResult r;
    r.status = LapFileReadResult::Damaged;
    r.problem = problem;
    return r;
}

QString endsEarly(int linesRead, const char *what)
{
    return QStringLiteral("The file ends after line %1, before %2.").arg(linesRead).arg(QLatin1String(what));
}

} // namespace

QByteArray writeLapFile(const RaceRecord &rec, const QString &comments,
                        const std::optional<QString> &pathLine, QChar decimalSeparator)
{
    // A record outside these bounds cannot be read back; they hold for every
    // record the program builds.
    const int numSegs = qBound(1, int(rec.NumSegs), 4);
    const int lastLap = qBound(0, int(rec.LastLap), int(RaceRecord::MaxLap));

    QString out;
    out.reserve(32 * 1024);
    appendLine(out, QLatin1String(LapFileMark));
    appendLine(out, printForm(numSegs, decimalSeparator));
    const QString lastLapText = printForm(lastLap, decimalSeparator);
    for (int i = 0; i < 11; ++i)
        appendLine(out, lastLapText);

    for (int r = 0; r < LapFileRows; ++r) {
        const auto &row = rec.LapData[r];
        for (int c = 0; c <= 4; ++c)
            appendLine(out, cellPrintForm(row[c], decimalSeparator));
        appendLine(out, cellStrForm(row[RaceRecord::FlagCol]) + QLatin1String(ConditionSeparator)
                            + cellStrForm(row[RaceRecord::TrafficCol]));
        appendLine(out, cellPrintForm(row[RaceRecord::PositionCol], decimalSeparator));
    }

    if (pathLine) {
        QString p = *pathLine;
        p.replace(QLatin1Char('\r'), QLatin1Char(' '));
        p.replace(QLatin1Char('\n'), QLatin1Char(' '));
        appendLine(out, p);
    }
    appendLine(out, normalisedComments(comments));
    appendLine(out, QLatin1String(LapFileEndMark));
    appendLine(out, printForm(0, decimalSeparator));

    QStringEncoder enc(CodePage);
    QByteArray bytes = enc.encode(out);
    if (enc.hasError() || bytes.size() != out.size()) {
        // Replace what the code page cannot hold by '?' rather than by the
        // encoder's control character.
        QString safe;
        safe.reserve(out.size());
        forEachCodePoint(out, [&](QStringView cp) {
            if (encodable(cp))
                safe += cp;
            else
                safe += QLatin1Char('?');
        });
        QStringEncoder enc2(CodePage);
        bytes = enc2.encode(safe);
    }
    return bytes;
}

LapFileReadResult readLapFile(const QByteArray &bytes, bool exchange)
{
    QStringDecoder dec(CodePage);
    const QString text = dec.decode(bytes);
    LineReader in(text);

    // File mark: the first comma-delimited field of line 1.
    {
        LapFileReadResult notLapFile;
        notLapFile.status = LapFileReadResult::NotLapFile;
        if (in.atEnd())
            return notLapFile;
        const QStringView line = in.next();
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (trimmedBlanks(comma >= 0 ? line.left(comma) : line) != QLatin1String(LapFileMark))
            return notLapFile;
    }

    LapFileReadResult result;
    LapFileContent &c = result.content;

    // Header: NumSegs, then LastLap and ten copies of it, one value a line.
    for (int i = 0; i < 12; ++i) {
        if (in.atEnd())
            return damaged(endsEarly(in.linesRead(), "its header is complete"));
        const QStringView line = in.next();
        qint16 v = 0;
        switch (readIntegerField(line, &v)) {
        case FieldError::None:
            break;
        case FieldError::NotNumber:
            return damaged(QStringLiteral("Line %1 should hold %2 but holds %3.")
                                   .arg(in.linesRead())
                                   .arg(i == 0 ? QStringLiteral("the number of segments")
                                               : QStringLiteral("the number of laps"))
                                   .arg(quoted(line)));
        case FieldError::OutOfRange:
            return damaged(QStringLiteral("Line %1 holds the number %2, which is out of range.")
                                   .arg(in.linesRead())
                                   .arg(quoted(trimmedBlanks(line))));
        }
        if (i == 0)
            c.NumSegs = v;
        else if (i == 1)
            c.LastLap = v;
    }
    if (c.NumSegs < 1 || c.NumSegs > 4)
        return damaged(QStringLiteral("The file gives %1 segments per lap; a lap has 1 to 4 segments.")
                               .arg(c.NumSegs));
    if (c.LastLap > RaceRecord::MaxLap)
        return damaged(QStringLiteral("The file gives %1 laps; a race has at most %2 laps.")
                               .arg(c.LastLap)
                               .arg(RaceRecord::MaxLap));
    if (c.LastLap < 1)
        c.LastLap = 1;

    // Row blocks.
    for (int r = 0; r < LapFileRows; ++r) {
        auto &row = c.rows[r];
        for (int k = 0; k < LapFileLinesPerRow; ++k) {
            if (in.atEnd())
                return damaged(endsEarly(in.linesRead(), "the lap times are complete"));
            const QStringView line = in.next();
            if (k == 5) {
                const qsizetype core = line.indexOf(QLatin1String(ConditionSeparatorCore));
                if (core >= 0) {
                    // core + 1 characters take in the blank that opens the
                    // core; the traffic starts six characters after it,
                    // which is the first character after the writer's
                    // seven-character separator.
                    row[RaceRecord::FlagCol] = cellFromText(withDecimalPoint(trimmedSpaces(line.left(core + 1))));
                    row[RaceRecord::TrafficCol] = cellFromText(trimmedSpaces(line.mid(qMin(core + 6, line.size()))));
                } else {
                    // Without a separator the file says nothing about the
                    // traffic: it reads as "Not in Traffic" (an empty cell).
                    row[RaceRecord::FlagCol] = cellFromText(withDecimalPoint(line.toString()));
                    row[RaceRecord::TrafficCol] = Cell();
                }
            } else {
                const int col = k == 6 ? RaceRecord::PositionCol : k;
                row[col] = cellFromText(withDecimalPoint(line.toString()));
            }
        }
    }

    if (exchange && !in.atEnd())
        c.pathLine = in.next().toString();

    // Comments: every line up to the end mark, or to the end of the file.
    QStringList lines;
    while (!in.atEnd()) {
        const QStringView line = in.next();
        if (line == QLatin1String(LapFileEndMark))
            break;
        lines.append(line.toString());
    }
    c.Comments = lines.join(QLatin1String(CrLf));

    result.status = LapFileReadResult::Ok;
    return result;
}

void applyToRecord(const LapFileContent &content, RaceRecord &rec)
{
    for (int r = 0; r < LapFileRows; ++r)
        rec.LapData[r] = content.rows[r];
    rec.NumSegs = content.NumSegs;
    rec.LastLap = qMax<qint16>(1, content.LastLap);
}

QString unencodableCharacters(const QString &text)
{
    QString found;
    forEachCodePoint(text, [&](QStringView cp) {
        if (!encodable(cp) && !found.contains(cp))
            found += cp;
    });
    return found;
}

} // namespace sw
