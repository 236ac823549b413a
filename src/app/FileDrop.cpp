#include "app/FileDrop.h"

#include "document/FileCommands.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace sw {

namespace {

// The first local file among the dropped URLs; empty when there is none.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

FileDrop::FileDrop(QWidget &window, FileCommands &files) : QObject(&window), m_window(window), m_files(files)
{
    // On the application: a drop over an entry field goes to the field
    // first, which would take the file's name as text.
    qApp->installEventFilter(this);
}

FileDrop::~FileDrop()
{
    qApp->removeEventFilter(this);
}

bool FileDrop::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_window)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        // Opened once the drop has returned: the file manager waits for its
        // answer, and the open may ask questions first.
        QMetaObject::invokeMethod(
                &m_files, [files = &m_files, path] { files->openFromOutside(path); }, Qt::QueuedConnection);
    }
    return true;
}

} // namespace sw
