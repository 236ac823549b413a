#pragma once
// File > "Recent Lap Times": the lap-time files last opened or saved, newest
// first, each once. Kept in the user's settings when given some (the real
// program); without settings the list lives for the run only.

#include <QObject>
#include <QStringList>

#include <memory>

class QMenu;
class QSettings;

namespace sw {

class RecentFiles : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxFiles = 8;

    // Fills menu (one entry a file) and keeps it up to date.
    explicit RecentFiles(QMenu *menu, QObject *parent = nullptr);
    ~RecentFiles() override;

    // Takes the list from the settings and writes every change back.
    void useSettings(std::unique_ptr<QSettings> settings);

    QStringList files() const { return m_files; }
    // Puts path first; an earlier entry naming the same file goes.
    void add(const QString &path);
    void remove(const QString &path);

signals:
    // An entry of the menu was chosen.
    void chosen(const QString &path);

private:
    void changed();

    QMenu *m_menu;
    QStringList m_files;
    std::unique_ptr<QSettings> m_settings;
};

// The path a file is listed under: links and "." / ".." resolved, so two
// names of one file are one entry. A file that is gone keeps its absolute
// path.
QString recentFileKey(const QString &path);

} // namespace sw
