#include "report/ReportTexts.h"

namespace sw {

namespace {

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// Characters 0..28 (line breaks and other control characters) never start a
// printed comment line.
void skipControl(QString &s)
{
    int i = 0;
    while (i < s.size() && s.at(i).unicode() <= 28)
        ++i;
    s.remove(0, i);
}

// Blanks only, as the comment lines are trimmed; tabs and line breaks stay.
QString trimBlanks(const QString &s)
{
    int b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

constexpr int kWrapWidth = 75;
constexpr int kMaxWrappedLines = 20;

} // namespace

QString reportTimeText(const QTime &t)
{
    if (!t.isValid())
        return QString();
    int h = t.hour() % 12;
    if (h == 0)
        h = 12;
    return twoDigits(h) + QLatin1Char(':') + twoDigits(t.minute()) + QLatin1Char(':')
           + twoDigits(t.second()) + QLatin1Char(':')
           + (t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

QString reportDateText(const QDate &d)
{
    if (!d.isValid())
        return QString();
    return twoDigits(d.day()) + QLatin1Char(':') + twoDigits(d.month()) + QLatin1Char(':')
           + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
}

QStringList reportCommentLines(const QString &comments)
{
    QStringList lines;
    QString rest = comments;
    bool shortTail = false;

    for (int n = 0; n < kMaxWrappedLines; ++n) {
        skipControl(rest);
        if (rest.isEmpty())
            return lines;
        if (rest.size() <= kWrapWidth) {
            shortTail = true;
            break;
        }

        const QString head = rest.left(kWrapWidth);
        QString line;
        int p = head.indexOf(QLatin1Char('\r'));
        if (p >= 0) {
            line = rest.left(p);
            rest = rest.mid(p + 1);
            if (rest.startsWith(QLatin1Char('\n')))
                rest.remove(0, 1);
            rest = trimBlanks(rest);
        } else if ((p = head.lastIndexOf(QLatin1Char(' '))) >= 0) {
            line = rest.left(p); // the blank itself is the break
            rest = rest.mid(p + 1);
        } else {
            // One word longer than a line: cut it, keeping every character.
            line = rest.left(kWrapWidth - 1);
            rest = rest.mid(kWrapWidth - 1);
        }
        if (!trimBlanks(line).isEmpty())
            lines << line;
    }
    if (!shortTail)
        return lines; // 20 wrapped lines; the rest is dropped

    // Short tail: one printed line per CR-separated piece.
    for (;;) {
        skipControl(rest);
        if (rest.isEmpty())
            break;
        const int cr = rest.indexOf(QLatin1Char('\r'));
        if (cr < 0) {
            if (!trimBlanks(rest).isEmpty())
                lines << rest;
            break;
        }
        lines << rest.left(cr);
        rest = rest.mid(cr + 1);
    }
    return lines;
}

std::optional<QString> SelectPrinterFont(const QStringList &families)
{
    static const char *const prefixes[] = {"MSSANS", "ARIAL", "UNIVE", "ROMAN"};
    for (const char *prefix : prefixes) {
        const QString p = QLatin1String(prefix);
        for (const QString &f : families)
            if (f.left(p.size()).toUpper() == p)
                return f;
    }
    return std::nullopt;
}

} // namespace sw
