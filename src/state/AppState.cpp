#include "state/AppState.h"

#include <QDir>

namespace sw {

QString AppState::lapTimeFolder() const
{
    return QDir(programFolder).filePath(QStringLiteral("LapTimeFiles"));
}

QString AppState::exchangeInputPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("RavelinData.txt"));
}

QString AppState::exchangeOutputPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("RavelinDataSaved.txt"));
}

QString AppState::helpDocumentPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("help/TimerHelp.txt"));
}

} // namespace sw
