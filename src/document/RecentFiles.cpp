#include "document/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace sw {

namespace {
const QString kSettingsKey = QStringLiteral("files/recent");
}

QString recentFileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

RecentFiles::RecentFiles(QMenu *menu, QObject *parent) : QObject(parent), m_menu(menu)
{
    changed();
}

RecentFiles::~RecentFiles() = default;

void RecentFiles::useSettings(std::unique_ptr<QSettings> settings)
{
    m_settings = std::move(settings);
    if (!m_settings)
        return;
    m_files.clear();
    // Written by this program, but a settings file can be edited by hand.
    for (const QString &path : m_settings->value(kSettingsKey).toStringList())
        if (!path.isEmpty() && m_files.size() < MaxFiles && !m_files.contains(recentFileKey(path)))
            m_files << recentFileKey(path);
    changed();
}

void RecentFiles::add(const QString &path)
{
    const QString key = recentFileKey(path);
    m_files.removeAll(key);
    m_files.prepend(key);
    while (m_files.size() > MaxFiles)
        m_files.removeLast();
    changed();
}

void RecentFiles::remove(const QString &path)
{
    if (m_files.removeAll(recentFileKey(path)) > 0)
        changed();
}

void RecentFiles::changed()
{
    if (m_settings)
        m_settings->setValue(kSettingsKey, m_files);
    // The entry being chosen may be running this: the old entries go once
    // its signal has returned.
    for (QAction *old : m_menu->actions()) {
        m_menu->removeAction(old);
        old->deleteLater();
    }
    for (int i = 0; i < m_files.size(); ++i) {
        const QString path = m_files.at(i);
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QLatin1String("&&")); // not a mnemonic
        QAction *a = m_menu->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(shown));
        connect(a, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
    m_menu->menuAction()->setEnabled(!m_files.isEmpty());
}

} // namespace sw
