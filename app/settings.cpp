#include "app/settings.h"

#include "platform/trace.h"
#include "platform/zconfig.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

namespace {
const QString configFile = QStringLiteral("pictarn.cfg");
const QString settingsGroup = QStringLiteral("Settings");
const QString bookmarksGroup = QStringLiteral("Bookmarks");
const QString sessionGroup = QStringLiteral("Session"); // a group of its own: older files lack it
} // namespace

void BookmarkList::clear()
{
    qDeleteAll(*this);
    QList<Bookmark *>::clear();
}

void BookmarkList::removeAt(qsizetype i)
{
    delete at(i);
    QList<Bookmark *>::removeAt(i);
}

bool BookmarkList::removeOne(Bookmark *bookmark)
{
    const qsizetype i = indexOf(bookmark);
    if (i < 0)
        return false;
    removeAt(i);
    return true;
}

void Settings::load(QSize screen)
{
    ZConfig config(configFile, true);
    m_view = config.readNumEntry(settingsGroup, QStringLiteral("view"), 0);
    m_rotateBestFit = config.readBoolEntry(settingsGroup, QStringLiteral("rotateBestFit"), false);
    m_controlBarInSlide
            = config.readBoolEntry(settingsGroup, QStringLiteral("controlBarInSlide"), true);
    m_imageFullScreen
            = config.readBoolEntry(settingsGroup, QStringLiteral("imageFullScreen"), false);
    m_slideDelay = config.readNumEntry(settingsGroup, QStringLiteral("slideDelay"), 2);
    // Turning portrait pictures sideways fills a phone held upright; on a screen wider than
    // tall it only makes them small, so there it is off until the user turns it on.
    if (screen.isEmpty() && QGuiApplication::primaryScreen())
        screen = QGuiApplication::primaryScreen()->size();
    const bool upright = screen.width() <= screen.height();
    m_rotateInSlide = config.readBoolEntry(settingsGroup, QStringLiteral("rotateInSlide"), upright);
    m_saveThumbnails = config.readBoolEntry(settingsGroup, QStringLiteral("saveThumbnails"), true);
    m_thumbFileSize = config.readNumEntry(settingsGroup, QStringLiteral("thumbFileSize"), 30);
    m_showExtension = config.readBoolEntry(settingsGroup, QStringLiteral("showExtension"), false);
    m_showDimension = config.readBoolEntry(settingsGroup, QStringLiteral("showDimension"), true);
    m_sortOrder = config.readNumEntry(settingsGroup, QStringLiteral("sortOrder"), 0);
    m_frame = config.readBoolEntry(settingsGroup, QStringLiteral("frame"), false);
    m_frameFolders = config.readEntry(settingsGroup, QStringLiteral("frameFolders"));
    m_frameRecursive = config.readBoolEntry(settingsGroup, QStringLiteral("frameRecursive"), false);
    m_frameOrder = config.readNumEntry(settingsGroup, QStringLiteral("frameOrder"), 0);
    m_frameCrossfade = config.readBoolEntry(settingsGroup, QStringLiteral("frameCrossfade"), true);
    m_frameBlank = config.readEntry(settingsGroup, QStringLiteral("frameBlank"));
    loadBookmarks();
    m_lastFolders.clear();
    const int folders
            = qBound(0, config.readNumEntry(sessionGroup, QStringLiteral("folders")), maxBookmarks);
    for (int i = 0; i < folders; ++i) {
        const QString folder = config.readEntry(sessionGroup, QStringLiteral("folder%1").arg(i));
        if (!folder.isEmpty())
            m_lastFolders << folder;
    }
    m_windowGeometry = QByteArray::fromBase64(
            config.readEntry(sessionGroup, QStringLiteral("geometry")).toLatin1());
}

void Settings::loadBookmarks()
{
    ZConfig config(configFile, true);
    m_numBookmarks = config.readNumEntry(bookmarksGroup, QStringLiteral("numBookmarks"), 0);
    // A damaged count must not fill memory with default entries.
    const int count = qBound(0, m_numBookmarks, maxBookmarks);
    for (int i = 0; i < count; ++i) {
        auto *bookmark = new Bookmark(QString(), QString());
        bookmark->setName(config.readEntry(bookmarksGroup, QStringLiteral("name%1").arg(i),
                                           QStringLiteral("name")));
        bookmark->setDir(config.readEntry(bookmarksGroup, QStringLiteral("dir%1").arg(i),
                                          QStringLiteral("/mmc/mmca1/opie/home/Documents")));
        m_bookmarks.append(bookmark);
    }
}

void Settings::save()
{
    ZConfig config(configFile, true);
    config.setGroup(settingsGroup);
    config.writeEntry(settingsGroup, QStringLiteral("slideDelay"), m_slideDelay);
    config.writeEntry(settingsGroup, QStringLiteral("rotateInSlide"), m_rotateInSlide);
    config.writeEntry(settingsGroup, QStringLiteral("view"), m_view);
    config.writeEntry(settingsGroup, QStringLiteral("rotateBestFit"), m_rotateBestFit);
    config.writeEntry(settingsGroup, QStringLiteral("controlBarInSlide"), m_controlBarInSlide);
    config.writeEntry(settingsGroup, QStringLiteral("imageFullScreen"), m_imageFullScreen);
    config.writeEntry(settingsGroup, QStringLiteral("saveThumbnails"), m_saveThumbnails);
    config.writeEntry(settingsGroup, QStringLiteral("thumbFileSize"), m_thumbFileSize);
    config.writeEntry(settingsGroup, QStringLiteral("showExtension"), m_showExtension);
    config.writeEntry(settingsGroup, QStringLiteral("showDimension"), m_showDimension);
    config.writeEntry(settingsGroup, QStringLiteral("sortOrder"), m_sortOrder);
    config.writeEntry(settingsGroup, QStringLiteral("frame"), m_frame);
    config.writeEntry(settingsGroup, QStringLiteral("frameFolders"), m_frameFolders);
    config.writeEntry(settingsGroup, QStringLiteral("frameRecursive"), m_frameRecursive);
    config.writeEntry(settingsGroup, QStringLiteral("frameOrder"), m_frameOrder);
    config.writeEntry(settingsGroup, QStringLiteral("frameCrossfade"), m_frameCrossfade);
    config.writeEntry(settingsGroup, QStringLiteral("frameBlank"), m_frameBlank);
    config.setGroup(bookmarksGroup);
    config.writeEntry(bookmarksGroup, QStringLiteral("numBookmarks"), int(m_bookmarks.size()));
    for (int i = 0; i < m_bookmarks.size(); ++i) {
        const Bookmark *bookmark = m_bookmarks.at(i);
        config.writeEntry(bookmarksGroup, QStringLiteral("name%1").arg(i), bookmark->name());
        config.writeEntry(bookmarksGroup, QStringLiteral("dir%1").arg(i), bookmark->dir());
    }
    config.setGroup(sessionGroup);
    config.writeEntry(sessionGroup, QStringLiteral("folders"), int(m_lastFolders.size()));
    for (int i = 0; i < m_lastFolders.size(); ++i)
        config.writeEntry(sessionGroup, QStringLiteral("folder%1").arg(i), m_lastFolders.at(i));
    config.writeEntry(sessionGroup, QStringLiteral("geometry"),
                      QString::fromLatin1(m_windowGeometry.toBase64()));
    qCDebug(pictarnTrace, "settings saved");
}
