#pragma once
// The small texts of the lap-time report, as pure functions: the print time
// and date, the printed lines of the file comments, and the choice of the
// printer font.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace sw {

// "hh:mm:ss:am/pm" on a 12-hour clock with lower-case am/pm
// (14:35:07 -> "02:35:07:pm", 00:05:00 -> "12:05:00:am"). Invalid time -> "".
QString reportTimeText(const QTime &t);

// "dd:mm:yyyy" (4 Dec 2026 -> "04:12:2026"). Invalid date -> "".
QString reportDateText(const QDate &d);

// The printed lines of the file comments (CR LF line breaks): long text is
// wrapped at the last blank within 75 characters, at most 20 wrapped lines are
// printed and the rest is dropped; control characters never print.
QStringList reportCommentLines(const QString &comments);

// The report font among the given family names, in their list order: the
// first whose upper-cased beginning is "MSSANS", else "ARIAL", else "UNIVE",
// else "ROMAN". nullopt keeps the device's current font.
std::optional<QString> SelectPrinterFont(const QStringList &families);

} // namespace sw
