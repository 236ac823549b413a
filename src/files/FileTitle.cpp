#include "files/FileTitle.h"

namespace sw {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QString withForwardSlashes(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s;
}

} // namespace

QString fileTitleFor(const QString &programFolder, const QString &currentFile)
{
    QString folder = withForwardSlashes(programFolder);
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    const QString lapFolder = folder + QLatin1String("/LapTimeFiles/");
    const QString file = withForwardSlashes(currentFile);
    // Same length before and after the slash change, so positions in file
    // are positions in currentFile.
    if (!programFolder.isEmpty() && file.size() > lapFolder.size()
        && file.startsWith(lapFolder, Qt::CaseInsensitive))
        return currentFile.mid(lapFolder.size());

    qsizetype i = currentFile.size();
    while (i > 0 && !isSeparator(currentFile.at(i - 1)))
        --i;
    return currentFile.mid(i);
}

} // namespace sw
