#pragma once
// Where race journals live and what can be done with one found at start-up.
//
// One file per race, "race-<UTC arm time yyyyMMdd-HHmmss-zzz>-<pid>.swj", in
// QStandardPaths::AppLocalDataLocation + "/journal" (on Linux
// ~/.local/share/Splitwatch/journal).
//
// A journal has one owner from the moment it is offered until it is closed:
// the program that lists it for recovery takes an exclusive flock on it
// (JournalClaim) and keeps it while it asks; carrying the race on hands the
// lock to the writer, which holds it until the race is saved or discarded.
// A journal another running program holds is neither offered nor carried on
// nor deleted here.

#include "journal/JournalFormat.h"
#include "journal/JournalRecords.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <vector>

namespace sw {

// The exclusive lock of one journal file, held through an open descriptor.
// Move-only; the lock goes with the descriptor (when the claim is dropped, or
// when the writer has taken it over).
class JournalClaim
{
public:
    enum Outcome {
        Held,          // this program holds the journal now
        HeldElsewhere, // another running program holds it
        Gone,          // removed or replaced while it was being taken
        CannotOpen,    // the system refused to open it
    };

    JournalClaim() = default;
    ~JournalClaim();
    JournalClaim(JournalClaim &&other) noexcept;
    JournalClaim &operator=(JournalClaim &&other) noexcept;
    JournalClaim(const JournalClaim &) = delete;
    JournalClaim &operator=(const JournalClaim &) = delete;

    // Opens path (for writing where the system allows it, else for reading)
    // and takes its lock without waiting. The claim holds it only when
    // *outcome (if given) is Held.
    static JournalClaim take(const QString &path, Outcome *outcome = nullptr);

    bool isHeld() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // Whether the journal was opened for writing; when not, the system's
    // reason (an errno value) is openError().
    bool isWritable() const { return m_writable; }
    int openError() const { return m_openError; }

    // The whole file as it is now; empty when not held or on a read error.
    QByteArray readAll() const;
    // Deletes the file if it is still the one this claim holds (a journal
    // another program holds never is), then lets it go. True when the file
    // is gone.
    bool removeFile();
    // Gives up the lock; the file stays.
    void release();
    // The descriptor, for the writer to carry the journal on; the claim is
    // empty afterwards and the lock goes with the descriptor.
    int takeDescriptor();

private:
    int m_fd = -1;
    QString m_path;
    bool m_writable = false;
    int m_openError = 0;
};

struct JournalFound
{
    QString path;
    JournalReadResult read; // read.usable() false: refused, read.message says why
    JournalClaim claim;     // held by this program while the journal is offered
};

class JournalStore
{
public:
    // The folder is injectable so tests use a temporary one.
    explicit JournalStore(const QString &folder = defaultFolder());

    static QString defaultFolder();
    QString folder() const { return m_folder; }

    static QString fileNameFor(qint64 pid, qint64 armWallMs);

    // Journals of races that were neither saved nor discarded, oldest arm
    // first (file name order), each held by this program (claim) until it is
    // dropped, removed or carried on. Journals that cannot be read are
    // listed too, with the reason. A journal another running program holds
    // is left out and its path added to *heldElsewhere (if given). A
    // journal noted as settled (see settledListFor) is left out and deleted
    // when that is possible now.
    std::vector<JournalFound> unfinished(QStringList *heldElsewhere = nullptr) const;

    // Deletes a journal this program holds; false when it is not held (a
    // journal is never deleted on its path alone) or cannot be deleted.
    bool remove(JournalFound &found) const;

    // True when another program is writing this journal right now.
    static bool isLive(const QString &path);

    // Where a copy of a damaged journal whose first goodLines lines are good
    // is kept before the journal is cut back to them: beside it, named so
    // that it is never offered as a journal itself.
    static QString damagedCopyPath(const QString &journalPath, int goodLines);

    // The list of journals whose race was saved or discarded although the
    // close record could neither be written nor the file be deleted (a
    // read-only folder): "<file name> <size in bytes>" a line, beside the
    // folder (<folder>.settled), so that such a journal is never offered
    // again. noteSettled adds one there, or, when that cannot be written
    // either, to journal.settled in the program's settings folder (both are
    // read); false when neither can be written.
    static QString settledListFor(const QString &folder);
    static bool noteSettled(const QString &folder, const QString &journalPath, qint64 size);

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

// The whole "Recover Race?" question for a usable journal: recoverRaceText,
// then what was wrong with the journal's end (a line cut short or a damaged
// line) and, for a damaged line, where the copy of the damaged journal is
// kept when the race is recovered.
QString recoverRaceQuestion(const JournalFound &found, const QTimeZone &zone = QTimeZone::systemTimeZone());

// The question for a journal that cannot be recovered (title
// RefusedJournalTitle): its path, the reason, "Delete this journal?".
inline constexpr char RefusedJournalTitle[] = "Delete Race Journal?";
QString refusedJournalQuestion(const JournalFound &found);

// What a program says when journals are held by another running program.
QString heldElsewhereText(const QStringList &paths);

// The copy path to hand to JournalWriter::resume for this journal: the
// damaged-copy path for a journal damaged in the middle, else empty.
QString damagedCopyFor(const JournalFound &found);

} // namespace sw
