#include "race/NumberText.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace sw {

namespace {

// Drops the zero before the decimal point of "0.xxx" / "-0.xxx".
QString dropLeadingZero(QString s)
{
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return s;
}

// The C library writes and reads numbers with the decimal point of the
// process's LC_NUMERIC locale, which the Qt application object takes from the
// environment: under a comma locale "%g" writes "12,5" and strtod stops at
// '.'. These texts always use a period, so swap the two.
const char *cDecimalPoint()
{
    const char *dp = std::localeconv()->decimal_point;
    return dp && *dp ? dp : ".";
}

QString formatG15(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    QString s = QString::fromLatin1(buf);
    const char *dp = cDecimalPoint();
    if (std::strcmp(dp, ".") != 0)
        s.replace(QString::fromLocal8Bit(dp), QStringLiteral("."));
    return s;
}

double parseDouble(QByteArray b)
{
    const char *dp = cDecimalPoint();
    if (std::strcmp(dp, ".") != 0)
        b.replace(".", dp);
    return std::strtod(b.constData(), nullptr);
}

} // namespace

QString formatTime(double seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    QString s = QString::number(seconds, 'f', 3);
    if (s == QLatin1String("-0.000"))
        s = QStringLiteral("0.000");
    return dropLeadingZero(s);
}

double shownSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    // Thousandths by arithmetic where that cannot differ from the text: the
    // product's rounding error is a few units in its last place, so away
    // from a tie (half a thousandth) both round the same way; and a whole
    // number of thousandths divided by 1000 is the double nearest the
    // decimal the text holds.
    const double scaled = seconds * 1000.0;
    if (std::fabs(scaled) < 1e15) {
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        const double margin = 8 * std::numeric_limits<double>::epsilon() * std::fabs(scaled) + 1e-9;
        if (std::fabs(fraction - 0.5) > margin) {
            const double r = (fraction > 0.5 ? whole + 1 : whole) / 1000.0;
            return r == 0 ? 0.0 : r;
        }
    }
    return val(formatTime(seconds));
}

QString formatWhole(double v)
{
    if (!std::isfinite(v))
        v = 0;
    double r = std::round(v);
    if (r == 0)
        r = 0; // no "-0"
    return QString::number(r, 'f', 0);
}

QString plainNumber(double v)
{
    if (!std::isfinite(v) || v == 0)
        return QStringLiteral("0");
    QString s = formatG15(v);
    // %g gives an exponent below 0.0001 and from 1E15 up. Small values are
    // written out as plain decimals like every other number (".00001234");
    // the large form, which no race time reaches, keeps the upper-case
    // exponent with a signed two-digit power.
    const int e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        QChar sign = exp.at(0);
        exp.remove(0, 1);
        if (sign == QLatin1Char('-')) {
            const bool negative = mant.startsWith(QLatin1Char('-'));
            QString digits = mant;
            digits.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
            return (negative ? QStringLiteral("-.") : QStringLiteral("."))
                + QString(exp.toInt() - 1, QLatin1Char('0')) + digits;
        }
        while (exp.size() > 2 && exp.startsWith(QLatin1Char('0')))
            exp.remove(0, 1);
        return dropLeadingZero(mant) + QLatin1Char('E') + sign + exp;
    }
    return dropLeadingZero(s);
}

QString numberText(double v)
{
    const QString p = plainNumber(v);
    return p.startsWith(QLatin1Char('-')) ? p : QLatin1Char(' ') + p;
}

QString printForm(double v, QChar decimalSeparator)
{
    QString s = numberText(v);
    if (decimalSeparator != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), decimalSeparator);
    return s + QLatin1Char(' ');
}

namespace {

// Length of the leading number of text starting at i, or 0 if none.
int scanNumber(QStringView t, int i)
{
    const int start = i;
    const int n = t.size();
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E') || t[i] == QLatin1Char('d')
                  || t[i] == QLatin1Char('D'))) {
        int j = i + 1;
        if (j < n && (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-')))
            ++j;
        int ed = 0;
        while (j < n && t[j].isDigit() && t[j].unicode() < 128) {
            ++j;
            ++ed;
        }
        if (ed > 0)
            i = j;
    }
    return i - start;
}

int skipSpace(QStringView t)
{
    int i = 0;
    while (i < t.size() && (t[i] == QLatin1Char(' ') || t[i] == QLatin1Char('\t')
                            || t[i] == QLatin1Char('\r') || t[i] == QLatin1Char('\n')))
        ++i;
    return i;
}

} // namespace

bool startsWithNumber(QStringView text)
{
    const int i = skipSpace(text);
    const int len = scanNumber(text, i);
    if (len == 0)
        return false;
    QByteArray b = text.mid(i, len).toLatin1();
    for (char &c : b)
        if (c == 'd' || c == 'D')
            c = 'e';
    const double v = parseDouble(b);
    return std::isfinite(v);
}

double val(QStringView text)
{
    const int i = skipSpace(text);
    const int len = scanNumber(text, i);
    if (len == 0)
        return 0;
    QByteArray b = text.mid(i, len).toLatin1();
    for (char &c : b)
        if (c == 'd' || c == 'D')
            c = 'e';
    const double v = parseDouble(b);
    return std::isfinite(v) ? v : 0.0;
}

double roundHalfEven(double v)
{
    if (!std::isfinite(v))
        return v;
    return std::nearbyint(v); // the default rounding mode rounds halves to even
}

} // namespace sw
