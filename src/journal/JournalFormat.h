#pragma once
// The journal's text form: a header line, then one record per line, each
// line "<content> *<CRC-32 of content, 8 upper-case hex digits>\n". A line
// whose checksum does not match was torn by a crash or damaged on disk and is
// never read as a value. docs/JOURNAL.md describes every record.

#include "journal/JournalRecords.h"

#include <QByteArray>
#include <QString>

namespace sw {

constexpr int JournalFormatVersion = 1;

// CRC-32 as in zlib and Ethernet (reflected polynomial 0xEDB88320).
quint32 crc32(const char *data, qsizetype size);
inline quint32 crc32(const QByteArray &b) { return crc32(b.constData(), b.size()); }

// A complete line: content, " *", checksum, "\n".
QByteArray journalLine(const QByteArray &content);

QByteArray journalHeaderLine();
QByteArray journalArmLine(const JournalArm &arm);
QByteArray journalConditionsLine(const JournalConditions &c);
// "start ..." for the start press, "press ..." for the others.
QByteArray journalPressLine(const JournalPress &p);
QByteArray journalFinishLine(qint16 lastLap);
QByteArray journalCommentsLine(const QString &comments);
// The edit line followed by one row line per snapshot row.
QByteArray journalSnapshotLines(const JournalSnapshot &s);
QByteArray journalCloseLine(JournalClose how);

// Comments on one line: backslash, CR, LF and the other control characters
// become escapes; everything else is UTF-8 as it stands.
QByteArray escapeJournalText(const QString &text);
// False for an escape that escapeJournalText never writes.
bool unescapeJournalText(const QByteArray &escaped, QString *text);

enum class JournalReadStatus {
    Complete,          // every line was good
    TornTailDropped,   // the last line (or an edit cut short) was unfinished and is left out
    DamagedRecovered,  // a damaged line with good lines after it: read up to the line before it
    Refused,           // nothing to recover: see message
};

struct JournalReadResult
{
    JournalReadStatus status = JournalReadStatus::Refused;
    QString message;         // empty when Complete; otherwise one sentence for the operator
    JournalRace race;        // meaningful unless Refused
    qsizetype goodLength = 0; // bytes of whole good records from the start of the file
    int goodLines = 0;        // lines read, the header included

    bool usable() const { return status != JournalReadStatus::Refused; }
};

// Reads any bytes without crashing; a value is taken only from a line whose
// checksum matches and whose every field is in range.
JournalReadResult readJournal(const QByteArray &bytes);

} // namespace sw
