#pragma once
// Starting another program (the help viewer): the real launcher starts it
// detached, in its own window, without waiting for it; tests script the
// answers.

#include <QString>
#include <QStringList>

namespace sw {

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;

    // True when the program started.
    virtual bool start(const QString &program, const QStringList &arguments) = 0;
};

class DetachedLauncher : public ProgramLauncher
{
public:
    bool start(const QString &program, const QStringList &arguments) override;
};

} // namespace sw
