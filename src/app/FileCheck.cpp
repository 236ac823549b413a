#include "app/FileCheck.h"

#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sw {

FileOpenCheck checkFileOpen(const QString &path)
{
    if (path.isEmpty())
        return FileOpenCheck::InvalidName;
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (name.isEmpty())
        return FileOpenCheck::InvalidName;
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringLiteral("<>:\"|?*").contains(c))
            return FileOpenCheck::InvalidName;
    }
    if (!fi.absoluteDir().exists())
        return FileOpenCheck::InvalidName; // path not found
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return FileOpenCheck::OtherFailure;
    return FileOpenCheck::Opens;
}

QString invalidFileNameText()
{
    return QStringLiteral(
        "You have entered an invalid file name.\n\nFile names must be from 1 to 11 characters long.  "
        "If you use a period (.), there can be no more than 8 characters before the period and no "
        "more than 3 characters after the period.\n\nNames must not include spaces or these "
        "characters:\n\n/ \\ [ ] : | < > + = ; , * ?");
}

FileOpenCheck checkFileOpens(const QString &path, Prompts &prompts)
{
    const FileOpenCheck r = checkFileOpen(path);
    if (r == FileOpenCheck::InvalidName)
        prompts.message({QStringLiteral("Invalid File Name"), invalidFileNameText(), Buttons::Ok,
                         Icon::Exclamation, Answer::Ok});
    return r;
}

} // namespace sw
