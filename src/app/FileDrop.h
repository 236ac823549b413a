#pragma once
// A lap-time file dropped anywhere on the main window (a local file from a
// file manager) is opened as File > Open opens the file chosen in its
// dialog; while a race is timed the drop is refused and the user told.

#include <QObject>

class QWidget;

namespace sw {

class FileCommands;

class FileDrop : public QObject
{
    Q_OBJECT
public:
    // Watches window and every widget on it; window must accept drops.
    FileDrop(QWidget &window, FileCommands &files);
    ~FileDrop() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    FileCommands &m_files;
};

} // namespace sw
