#include "files/LapFile.h"

#include "race/NumberText.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace sw {

namespace {

constexpr char CodePage[] = "windows-1252";
constexpr char CrLf[] = "\r\n";
// Written between the flag and the traffic of a row; the reader looks for its
// five middle characters only.
constexpr char ConditionSeparator[] = "  ```  ";
constexpr char ConditionSeparatorCore[] = " ``` ";

// ---------------------------------------------------------------- code page

// windows-1252 both ways, as two tables asked of the converter once. The code
// page is one byte per character without state, so a file decodes byte by
// byte exactly as it does whole, and a character it holds encodes to the one
// byte that decodes to it. (An encoder cannot be asked character by
// character, as its error flag survives resetState().)
struct CodePageTables
{
    char16_t toUnicode[256];
    // The byte of each character the code page holds, -1 for the others.
    std::vector<qint16> fromUnicode = std::vector<qint16>(0x10000, -1);
};

const CodePageTables &codePage()
{
    static const CodePageTables tables = [] {
        CodePageTables t;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QStringDecoder dec(CodePage);
            const QString chars = dec.decode(QByteArrayView(&byte, 1));
            t.toUnicode[b] = chars.size() == 1 ? chars.at(0).unicode() : char16_t(QChar::ReplacementCharacter);
        }
        for (int b = 255; b >= 0; --b) {
            const QChar c(t.toUnicode[b]);
            if (c != QChar::ReplacementCharacter && !c.isSurrogate())
                t.fromUnicode[c.unicode()] = qint16(b);
        }
        return t;
    }();
    return tables;
}

// Code points of text, a surrogate pair as one; a lone surrogate stands alone.
template<typename F>
void forEachCodePoint(QStringView text, F &&f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            len = 2;
        f(text.mid(i, len));
        i += len;
    }
}

bool encodable(QStringView codePoint)
{
    return codePoint.size() == 1 && codePage().fromUnicode[codePoint.at(0).unicode()] >= 0;
}

// ---------------------------------------------------------------- writing

// How line breaks inside a value are written.
enum class Breaks {
    AsBlanks, // a cell or the path line: a break would shift every later line
    AsCrLf,   // comments: CR LF, a lone CR and a lone LF each become CR LF
};

// Bytes text takes in the file: one a character, one for a surrogate pair
// (written as '?'), two for a lone CR or LF turned into CR LF.
qsizetype encodedSize(QStringView text, Breaks breaks)
{
    const qsizetype n = text.size();
    qsizetype size = n;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            --size;
            ++i;
        } else if (breaks == Breaks::AsCrLf && (c == QLatin1Char('\r') || c == QLatin1Char('\n'))) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i; // CR LF stays two bytes
            else
                ++size;
        }
    }
    return size;
}

// Appends text in the code page; what it cannot hold is written as '?' (one
// for a surrogate pair), rather than as the converter's control character.
// One pass into bytes sized beforehand: comments run to millions of lines.
void appendEncoded(QByteArray &out, QStringView text, Breaks breaks)
{
    const qsizetype start = out.size();
    out.resize(start + encodedSize(text, breaks));
    char *p = out.data() + start;
    const qint16 *table = codePage().fromUnicode.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\r' || u == u'\n') {
            if (breaks == Breaks::AsBlanks) {
                *p++ = ' ';
            } else {
                if (u == u'\r' && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                *p++ = '\r';
                *p++ = '\n';
            }
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            *p++ = '?';
            ++i;
        } else {
            const qint16 b = table[u];
            *p++ = b >= 0 ? char(b) : '?';
        }
    }
    Q_ASSERT(p == out.data() + out.size());
}

void appendLine(QByteArray &out, QStringView line, Breaks breaks = Breaks::AsBlanks)
{
    appendEncoded(out, line, breaks);
    out += CrLf;
}

// A line of the layout's own, plain ASCII.
void appendLine(QByteArray &out, const char *ascii)
{
    out += ascii;
    out += CrLf;
}

// Cell print form: a number in print form, a text verbatim, an empty cell as
// nothing.
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
    return c.text();
}

// Str form: like the number-to-text form, always with a period and no
// trailing blank; an empty cell counts as 0, a text cell as its number.
QString cellStrForm(const Cell &c)
{
    return numberText(c.value());
}

// ---------------------------------------------------------------- reading

enum class LineEnd : quint8 { None, CrLf, Lf, Cr };

QLatin1String lineEndName(LineEnd e)
{
    switch (e) {
    case LineEnd::CrLf:
        return QLatin1String("CR LF");
    case LineEnd::Lf:
        return QLatin1String("LF");
    case LineEnd::Cr:
        return QLatin1String("CR");
    case LineEnd::None:
        break;
    }
    return QLatin1String("no line end");
}

// The lines of a file's bytes, each ended by CR LF, LF or CR. A last line
// without a line end still counts; a line end at the very end opens no
// further line. The first line's end is the file's: a stray LF in a CR LF
// file would shift every later value by a line, so a line that ends in any
// other way is reported (endsAsFirst) rather than taken.
class LineScanner
{
public:
    explicit LineScanner(QByteArrayView bytes) : m_bytes(bytes) { }

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    int linesRead() const { return m_lines; }
    qsizetype position() const { return m_pos; } // where the next line starts
    LineEnd firstEnd() const { return m_firstEnd; }
    LineEnd lastEnd() const { return m_lastEnd; }
    // Whether the line just read ends as the first line does (a last line
    // without a line end always does).
    bool endsAsFirst() const { return m_lastEnd == LineEnd::None || m_lastEnd == m_firstEnd; }

    QByteArrayView next()
    {
        const char *d = m_bytes.data();
        const qsizetype n = m_bytes.size();
        const qsizetype start = m_pos;
        const qsizetype i = std::min(nextAtOrAfter(m_nextCr, '\r'), nextAtOrAfter(m_nextLf, '\n'));
        const QByteArrayView line = m_bytes.sliced(start, i - start);
        m_lastEnd = LineEnd::None;
        if (i < n) {
            if (d[i] == '\n') {
                m_lastEnd = LineEnd::Lf;
            } else if (i + 1 < n && d[i + 1] == '\n') {
                m_lastEnd = LineEnd::CrLf;
            } else {
                m_lastEnd = LineEnd::Cr;
            }
        }
        if (m_lines == 0)
            m_firstEnd = m_lastEnd;
        m_pos = i + (m_lastEnd == LineEnd::None ? 0 : m_lastEnd == LineEnd::CrLf ? 2 : 1);
        ++m_lines;
        return line;
    }

private:
    // Position of the first byte ch at or after m_pos (the size when there is
    // none). cached is where it was last found: the search runs again only
    // once the lines have passed it, so each byte is searched once for CR and
    // once for LF, however the line ends are mixed.
    qsizetype nextAtOrAfter(qsizetype &cached, char ch)
    {
        if (cached < m_pos) {
            const qsizetype n = m_bytes.size();
            const void *hit = std::memchr(m_bytes.data() + m_pos, ch, size_t(n - m_pos));
            cached = hit ? static_cast<const char *>(hit) - m_bytes.data() : n;
        }
        return cached;
    }

    QByteArrayView m_bytes;
    qsizetype m_nextCr = -1;
    qsizetype m_nextLf = -1;
    qsizetype m_pos = 0;
    int m_lines = 0;
    LineEnd m_firstEnd = LineEnd::None;
    LineEnd m_lastEnd = LineEnd::None;
};

// Decodes bytes into out, which has room for them (and for one more character
// per separator byte). separator (a byte, or -1 for none) is written as CR LF.
QChar *decodeInto(QChar *out, QByteArrayView bytes, int separator = -1)
{
    const char16_t *table = codePage().toUnicode;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == separator) {
            *out++ = QLatin1Char('\r');
            *out++ = QLatin1Char('\n');
        } else {
            *out++ = QChar(table[b]);
        }
    }
    return out;
}

QString decoded(QByteArrayView bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    decodeInto(s.data(), bytes);
    return s;
}

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

QString endsDifferently(const LineScanner &in)
{
    return QStringLiteral("Line %1 ends differently from the first line (%2 instead of %3).")
            .arg(in.linesRead())
            .arg(lineEndName(in.lastEnd()), lineEndName(in.firstEnd()));
}

} // namespace

QByteArray writeLapFile(const StoredRace &race,
                        const std::optional<QString> &pathLine, QChar decimalSeparator)
{
    // A record outside these bounds cannot be read back; they hold for every
    // record the program builds.
    const int numSegs = qBound(1, race.segmentsPerLap, 4);
    const int lastLap = qBound(0, race.lastLap, int(Race::MaxLap));
    const QString &comments = race.comments;

    QByteArray out;
    // The fixed lines of a full race take about 20 kB; the comments are
    // added in one piece of their exact size.
    out.reserve(32 * 1024 + comments.size() + (pathLine ? pathLine->size() : 0));
    appendLine(out, LapFileMark);
    appendLine(out, printForm(numSegs, decimalSeparator));
    const QString lastLapText = printForm(lastLap, decimalSeparator);
    for (int i = 0; i < 11; ++i)
        appendLine(out, lastLapText);

    for (int r = 0; r < LapFileRows; ++r) {
        const auto &row = race.cells.rows[size_t(r)];
        for (int c = 0; c <= 4; ++c)
            appendLine(out, cellPrintForm(row[c], decimalSeparator));
        appendLine(out, QString(cellStrForm(row[RaceRecordCells::FlagColumn]) + QLatin1String(ConditionSeparator)
                                + cellStrForm(row[RaceRecordCells::TrafficColumn])));
        appendLine(out, cellPrintForm(row[RaceRecordCells::PositionColumn], decimalSeparator));
    }

    if (pathLine)
        appendLine(out, *pathLine);
    appendLine(out, comments, Breaks::AsCrLf);
    appendLine(out, LapFileEndMark);
    appendLine(out, printForm(0, decimalSeparator));
    return out;
}

LapFileReadResult readLapFile(const QByteArray &bytes, bool exchange)
{
    LineScanner in(bytes);

    // File mark: the first comma-delimited field of line 1. Its line end is
    // the file's.
    {
        LapFileReadResult notLapFile;
        notLapFile.status = LapFileReadResult::NotLapFile;
        if (in.atEnd())
            return notLapFile;
        const QString line = decoded(in.next());
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (trimmedBlanks(QStringView(line).left(comma >= 0 ? comma : line.size())) != QLatin1String(LapFileMark))
            return notLapFile;
    }

    LapFileReadResult result;
    LapFileContent &c = result.content;

    // Header: segments a lap, then the last lap and ten copies of it, one value a line.
    for (int i = 0; i < 12; ++i) {
        if (in.atEnd())
            return damaged(endsEarly(in.linesRead(), "its header is complete"));
        const QString line = decoded(in.next());
        if (!in.endsAsFirst())
            return damaged(endsDifferently(in));
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
            c.race.segmentsPerLap = v;
        else if (i == 1)
            c.race.lastLap = v;
    }
    if (c.race.segmentsPerLap < 1 || c.race.segmentsPerLap > 4)
        return damaged(QStringLiteral("The file gives %1 segments per lap; a lap has 1 to 4 segments.")
                               .arg(c.race.segmentsPerLap));
    if (c.race.lastLap > Race::MaxLap)
        return damaged(QStringLiteral("The file gives %1 laps; a race has at most %2 laps.")
                               .arg(c.race.lastLap)
                               .arg(Race::MaxLap));
    if (c.race.lastLap < 1)
        c.race.lastLap = 1;

    // Row blocks.
    for (int r = 0; r < LapFileRows; ++r) {
        auto &row = c.race.cells.rows[size_t(r)];
        for (int k = 0; k < LapFileLinesPerRow; ++k) {
            if (in.atEnd())
                return damaged(endsEarly(in.linesRead(), "the lap times are complete"));
            const QString line = decoded(in.next());
            if (!in.endsAsFirst())
                return damaged(endsDifferently(in));
            if (k == 5) {
                const qsizetype core = line.indexOf(QLatin1String(ConditionSeparatorCore));
                if (core >= 0) {
                    // core + 1 characters take in the blank that opens the
                    // core; the traffic starts six characters after it,
                    // which is the first character after the writer's
                    // seven-character separator.
                    const QStringView v(line);
                    row[RaceRecordCells::FlagColumn] = cellFromText(withDecimalPoint(trimmedSpaces(v.left(core + 1))));
                    row[RaceRecordCells::TrafficColumn] = cellFromText(trimmedSpaces(v.mid(qMin(core + 6, v.size()))));
                } else {
                    // Without a separator the file says nothing about the
                    // traffic: it reads as "Not in Traffic" (an empty cell).
                    row[RaceRecordCells::FlagColumn] = cellFromText(withDecimalPoint(line));
                    row[RaceRecordCells::TrafficColumn] = Cell();
                }
            } else {
                const int col = k == 6 ? RaceRecordCells::PositionColumn : k;
                row[col] = cellFromText(withDecimalPoint(line));
            }
        }
    }

    if (exchange && !in.atEnd()) {
        c.pathLine = decoded(in.next());
        if (!in.endsAsFirst())
            return damaged(endsDifferently(in));
    }

    // Comments: every line up to the end mark, or to the end of the file.
    // They lie in the file as one run of bytes, their lines joined by the
    // file's line end, and are decoded in one piece.
    const qsizetype commentsStart = in.position();
    qsizetype commentsEnd = commentsStart;
    qsizetype commentLines = 0;
    // Nothing after the end mark is read, so its line ends are not checked:
    // an editor's extra line break, a Ctrl-Z or a second file appended
    // change nothing that is read.
    while (!in.atEnd()) {
        const qsizetype lineStart = in.position();
        const QByteArrayView line = in.next();
        // In a CR file, an LF right after the end mark's CR belongs to what
        // follows it, not to the end mark's line end.
        const bool endMark = line == LapFileEndMark
                && (in.endsAsFirst() || (in.firstEnd() == LineEnd::Cr && in.lastEnd() == LineEnd::CrLf));
        if (endMark)
            break;
        if (!in.endsAsFirst())
            return damaged(endsDifferently(in));
        commentsEnd = lineStart + line.size();
        ++commentLines;
    }
    if (commentLines > 0) {
        const QByteArrayView run = QByteArrayView(bytes).sliced(commentsStart, commentsEnd - commentsStart);
        // Comments join their lines with CR LF, as a CR LF file does already;
        // in an LF or CR file each line end is one byte that becomes two.
        const bool oneByteEnds = in.firstEnd() == LineEnd::Lf || in.firstEnd() == LineEnd::Cr;
        const int separator = !oneByteEnds ? -1 : in.firstEnd() == LineEnd::Lf ? '\n' : '\r';
        c.race.comments = QString(run.size() + (oneByteEnds ? commentLines - 1 : 0), Qt::Uninitialized);
        decodeInto(c.race.comments.data(), run, separator);
    }

    result.status = LapFileReadResult::Ok;
    return result;
}

QString unencodableCharacters(const QString &text)
{
    QString found;
    std::vector<bool> seen(0x10000, false); // single code units: the BMP and lone surrogates
    QSet<char32_t> seenPairs;
    forEachCodePoint(text, [&](QStringView cp) {
        if (encodable(cp))
            return;
        if (cp.size() == 1) {
            if (seen[cp.at(0).unicode()])
                return;
            seen[cp.at(0).unicode()] = true;
        } else {
            const char32_t ucs4 = QChar::surrogateToUcs4(cp.at(0), cp.at(1));
            if (seenPairs.contains(ucs4))
                return;
            seenPairs.insert(ucs4);
        }
        found += cp;
    });
    return found;
}

} // namespace sw
