#include "files/FileState.h"

#include <QDir>

namespace sw {

QString FileState::lapTimeFolder() const
{
    return QDir(programFolder).filePath(QStringLiteral("LapTimeFiles"));
}

QString FileState::exchangeInputPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("RavelinData.txt"));
}

QString FileState::exchangeOutputPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("RavelinDataSaved.txt"));
}

QString FileState::helpDocumentPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("help/TimerHelp.txt"));
}

} // namespace sw
