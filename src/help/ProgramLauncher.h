#pragma once
// Starting another program (the help viewer) without waiting for it: the
// real launcher watches it for a short grace period, so that a viewer that
// starts but gives up at once (gio open with no application for text files,
// for one) counts as not found; tests script the verdicts.

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;

namespace sw {

class ProgramLauncher
{
public:
    // true: the program runs (still running after the grace period, or ended
    // without an error within it); false: it could not be started, or it
    // ended with an error or a crash within the grace period.
    using Verdict = std::function<void(bool runs)>;

    virtual ~ProgramLauncher() = default;

    // Starts the program and returns at once; verdict is called exactly once,
    // later, from the event loop (or from here when it cannot start at all).
    virtual void start(const QString &program, const QStringList &arguments, Verdict verdict) = 0;
};

class ProcessLauncher : public ProgramLauncher
{
public:
    explicit ProcessLauncher(int gracePeriodMs = 2000) : m_graceMs(gracePeriodMs) {}
    // Viewers still running are left running, and their verdicts untold.
    ~ProcessLauncher() override;

    void start(const QString &program, const QStringList &arguments, Verdict verdict) override;

private:
    int m_graceMs;
    QList<QPointer<QProcess>> m_processes;
};

} // namespace sw
