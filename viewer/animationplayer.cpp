#include "viewer/animationplayer.h"

#include "viewer/imageheader.h"
#include "viewer/imageloader.h"
#include "viewer/imagewidget.h"

#include <QPixmap>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

AnimationPlayer *AnimationPlayer::playOn(ImageWidget *widget, QPixmap *pixmap,
                                         const QString &fileName)
{
    for (AnimationPlayer *old : widget->findChildren<AnimationPlayer *>(Qt::FindDirectChildrenOnly))
        delete old;
    if (!pixmap || pixmap->isNull())
        return nullptr;
    // As the loader opens it: never waiting on a FIFO, only a regular file within the budget.
    const int fd
            = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0
        || ImageHeader(fd, info.st_size).damaged()) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    auto *player = new AnimationPlayer(widget, pixmap, fd);
    if (!player->open()) {
        delete player;
        return nullptr;
    }
    return player;
}

AnimationPlayer::AnimationPlayer(ImageWidget *widget, QPixmap *pixmap, int fd)
    : QObject(widget),
      widget(widget),
      pixmap(pixmap),
      shownKey(pixmap->cacheKey()),
      timer(new QTimer(this))
{
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, &AnimationPlayer::showNext);
}

namespace {
int delayOf(const QImageReader &reader)
{
    const int delay = reader.nextImageDelay();
    return delay > 10 ? delay : AnimationPlayer::shortestDelay;
}
} // namespace

bool AnimationPlayer::open()
{
    if (!file.isOpen() || !file.seek(0))
        return false;
    reader = std::make_unique<QImageReader>(&file);
    const QByteArray format = reader->format();
    const QSize stored = reader->size();
    if ((format != "gif" && format != "webp") || !reader->supportsAnimation() || stored.isEmpty()
        || qint64(stored.width()) * stored.height() > ImageLoader::maxPixels)
        return false;
    frames = reader->imageCount();
    if (frames < 2)
        return false;
    if (!started) {
        started = true;
        size = pixmap->size();
        // The surface shows it turned by a quarter when that fits its box better.
        const auto shape = [](QSize s) { return std::log(double(s.width()) / s.height()); };
        if (std::abs(shape(size) - shape(stored)) > std::abs(shape(size) + shape(stored)))
            degrees = 90;
        const int loops = reader->loopCount();
        passesLeft = loops < 0 ? -1 : loops;
        // The first frame is on screen already: only its delay is wanted.
        reader->read();
        index = 1;
        timer->start(delayOf(*reader));
    }
    reader->setScaledSize(degrees ? size.transposed() : size);
    return true;
}

bool AnimationPlayer::stillShown() const
{
    return widget && widget->isVisible() && widget->shownPixmap() == pixmap
           && pixmap->cacheKey() == shownKey;
}

void AnimationPlayer::showNext()
{
    if (!stillShown()) {
        deleteLater();
        return;
    }
    if (index >= frames || !reader->canRead()) {
        if (passesLeft == 0)
            return; // the last frame stays
        if (passesLeft > 0)
            --passesLeft;
        index = 0;
        if (!open())
            return;
    }
    QImage frame = reader->read();
    if (frame.isNull())
        return; // a damaged frame ends the play; the last good one stays
    if (degrees)
        frame = ImageLoader::turned(frame, degrees);
    *pixmap = QPixmap::fromImage(frame.convertToFormat(
            frame.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32));
    shownKey = pixmap->cacheKey();
    widget->update();
    const int delay = delayOf(*reader);
    emit frameShown(index++, delay);
    timer->start(delay);
}
