#pragma once
// Where race journals live and what can be done with one found at start-up.
//
// One file per race, "race-<UTC arm time yyyyMMdd-HHmmss-zzz>-<pid>.swj", in
// QStandardPaths::AppLocalDataLocation + "/journal" (on Linux
// ~/.local/share/Splitwatch/journal). The writer holds an exclusive lock on
// the file it is writing, so a journal of a program still running is never
// offered to another one.

#include "journal/JournalFormat.h"
#include "journal/JournalRecords.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <vector>

namespace sw {

struct JournalFound
{
    QString path;
    JournalReadResult read; // read.usable() false: refused, read.message says why
};

class JournalStore
{
public:
    // The folder is injectable so tests use a temporary one.
    explicit JournalStore(const QString &folder = defaultFolder());

    static QString defaultFolder();
    QString folder() const { return m_folder; }

    static QString fileNameFor(qint64 pid, qint64 armWallMs);

    // Journals of races that were neither saved nor discarded and are not
    // being written by a running program, oldest arm first (file name order).
    // Journals that cannot be read are listed too, with the reason.
    std::vector<JournalFound> unfinished() const;

    // Deletes one journal; true when it is gone.
    bool remove(const QString &path) const;

    // True when another program is writing this journal right now.
    static bool isLive(const QString &path);

    // This boot's identity (/proc/sys/kernel/random/boot_id), empty where the
    // system does not say.
    static QByteArray currentBootId();
    // The steady clock the race clock and the arm record use, in ns.
    static qint64 monotonicNowNs();

private:
    QString m_folder;
};

// How a recovered race comes back.
enum class JournalResume {
    Running,  // same boot, clock still counting: the race clock goes on from arming
    Finished, // finished, or the computer restarted since: the editing face
};

// Running when the race was not finished, the boot id is known and the same,
// and the arm value is not in the future of nowNs (the 64-bit tick count
// holds any race).
JournalResume resumeMode(const JournalRace &race, const QByteArray &bootId, qint64 nowNs);

// The tick count a resumed race clock stands at now: whole timer intervals
// since arming.
qint64 resumeTickCount(const JournalArm &arm, qint64 nowNs);

// The text of the "Recover Race?" question: when the race was armed, how many
// laps and segments it holds and when the last press was.
QString recoverRaceText(const JournalRace &race, const QTimeZone &zone = QTimeZone::systemTimeZone());

} // namespace sw
