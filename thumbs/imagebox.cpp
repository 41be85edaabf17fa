#include "thumbs/imagebox.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "platform/trace.h"
#include "resources/iconset.h"
#include "thumbs/nonpictures.h"
#include "thumbs/thumbnailcache.h"
#include "viewer/imageloader.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>

namespace {

constexpr int captionBand = 27;

// The BMP in the cache keeps no alpha: a transparent preview is put on white before it is
// shown, so that it looks the same whether it was just made or read back.
QImage flattened(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

// One placeholder picture for every box.
QPixmap placeholder()
{
    const QString key = QStringLiteral("pictarn-box-placeholder");
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = iconPixmap(QStringLiteral("image"));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace

ImageBox::ImageBox(QWidget *parent, Settings *settings, ImageListItem *item)
    : ImageBox(parent, settings,
               std::make_shared<Picture>(
                       item, std::make_shared<ListedFolder>(ListedFolder::holding(item->path()))))
{ }

ImageBox::Picture::Picture(const ImageListItem *row, std::shared_ptr<const ListedFolder> folder)
    : item(row->tracker()), where(row->listedPath()), folder(std::move(folder))
{ }

ImageBox::ImageBox(QWidget *parent, Settings *settings, std::shared_ptr<Picture> picture)
    : QWidget(parent), settings(settings)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Only the highlight gives a box the focus (setSelected()): a wheel turned, or a finger
    // pressed for a drag, over another box must not send the keys there.
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(boxWidth, boxHeight);
    showPicture(std::move(picture));
}

ImageBox::~ImageBox()
{
    if (m_picture && m_picture->box == this)
        m_picture->box = nullptr;
}

void ImageBox::showPicture(std::shared_ptr<Picture> picture)
{
    if (m_picture && m_picture->box == this)
        m_picture->box = nullptr;
    m_picture = std::move(picture);
    m_picture->box = this;
    setToolTip(fileName()); // the caption may show it cut short
    update();
}

QString ImageBox::fileName() const
{
    const QString path = m_picture->path();
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QPixmap ImageBox::pixmap() const
{
    return isThumbLoaded() ? *m_picture->preview : placeholder();
}

void ImageBox::setSelected(bool selected)
{
    if (m_picture->selected != selected) {
        m_picture->selected = selected;
        // The highlight follows the flag even when the focus stays where it is.
        update();
        emit selectionChanged();
    }
    if (selected)
        setFocus();
}

void ImageBox::loadThumb()
{
    const QPointer<ImageBox> self(this);
    QApplication::processEvents();
    if (!self)
        return;
    Thumb thumb = thumbRequest();
    makeThumb(thumb);
    applyThumb(std::move(thumb));
    repaint();
}

ImageBox::Thumb ImageBox::Picture::request(const Settings *settings) const
{
    Thumb thumb;
    thumb.path = path();
    thumb.useCache = settings->saveThumbnails();
    thumb.threshold = settings->thumbFileSize();
    thumb.folder = folder->id();
    return thumb;
}

bool ImageBox::readCachedThumb(Thumb &thumb)
{
    if (thumb.cacheRead)
        return thumb.fromCache;
    thumb.cacheRead = true;
    const QFileInfo image(thumb.path);
    thumb.imageSize = image.size();
    thumb.imageTime = image.lastModified();
    if (!thumb.useCache)
        return false;
    auto cached = ThumbnailCache::read(thumb.path, thumb.imageTime);
    if (!cached)
        return false;
    thumb.width = cached->width;
    thumb.height = cached->height;
    thumb.preview = flattened(cached->preview);
    thumb.fromCache = true;
    return true;
}

void ImageBox::makeThumb(Thumb &thumb)
{
    if (readCachedThumb(thumb))
        return;
    // Keeping nothing (a negative threshold) keeps no record either.
    const bool record = thumb.useCache && thumb.threshold >= 0;
    if (record && NonPictures::known(thumb.path, thumb.imageSize, thumb.imageTime))
        return;
    ImageLoader loader;
    loader.load(thumb.path);
    if (record && loader.notAPicture())
        NonPictures::add(thumb.path, thumb.imageSize, thumb.imageTime);
    if (const QImage *fitted
        = loader.fittedImage(ThumbnailCache::previewWidth, ThumbnailCache::previewHeight))
        thumb.preview = *fitted;
    // Asked after the decode, which is what tells whether the file is a picture at all.
    thumb.width = thumb.preview.isNull() ? 0 : loader.width();
    thumb.height = thumb.preview.isNull() ? 0 : loader.height();
    thumb.image = loader.fileId();
    if (thumb.preview.isNull())
        return;
    thumb.preview = flattened(thumb.preview);
    // Only files above the threshold are kept; a negative threshold keeps none.
    if (thumb.useCache && thumb.threshold >= 0 && thumb.imageSize > thumb.threshold * 1024)
        thumb.cacheData = ThumbnailCache::encode(thumb.width, thumb.height, thumb.preview);
}

void ImageBox::Picture::apply(Thumb thumb, bool keep)
{
    if (!thumb.fromCache && !thumb.again)
        qCDebug(pictarnTrace, "loading thumbnail %s", qUtf8Printable(displayName()));
    // Gone since it was read: as if it had gone before its turn, so no preview outlives it.
    if (!thumb.preview.isNull() && !QFileInfo::exists(thumb.path)) {
        thumb.preview = QImage();
        thumb.cacheData.clear();
        thumb.width = 0;
        thumb.height = 0;
    }
    width = thumb.width;
    height = thumb.height;
    if (ImageListItem *row = *item)
        row->setDimensions(width, height);
    if (box)
        box->update();

    if (thumb.preview.isNull())
        return;
    // A copy made here, not the worker's picture, which the pixmap would share: memory a
    // worker took stays with that worker's arena once freed, and the grid's previews, let go
    // and read again on this thread while scrolling, would grow the process by their budget.
    QPixmap pixmap = keep ? QPixmap::fromImage(thumb.preview.copy()) : QPixmap();
    if (keep && pixmap.isNull())
        return;
    if (!thumb.cacheData.isEmpty() && !thumb.again)
        ThumbnailCache::store(path(), thumb.cacheData, thumb.imageTime, thumb.image, thumb.folder);
    if (!keep) {
        previewReleased = true;
        return;
    }
    preview = std::make_unique<QPixmap>(std::move(pixmap));
    previewReleased = false;
}

void ImageBox::Picture::release()
{
    if (!preview)
        return;
    preview.reset();
    previewReleased = true;
    if (box)
        box->update();
}

qint64 ImageBox::Picture::previewBytes() const
{
    return preview ? qint64(preview->width()) * preview->height() * preview->depth() / 8 : 0;
}

QFont ImageBox::captionFont()
{
    QFont font(QStringLiteral("System"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    return font;
}

QString ImageBox::shortenCaption(const QString &text, const QFontMetrics &metrics, int width)
{
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= width)
        return text;
    // Cut from the middle: names of a series differ at their ends ("Landscape_1.jpg").
    const QString dots = QStringLiteral("...");
    const auto whole = [&text](qsizetype at) { // no cut between the halves of a pair
        return at > 0 && at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at;
    };
    QString best;
    for (qsizetype kept = 1; kept < text.size(); ++kept) {
        const qsizetype head = whole(kept - kept / 2);
        const qsizetype tail = whole(text.size() - kept / 2);
        const QString shortened = text.left(head) + dots + text.mid(tail);
        if (metrics.horizontalAdvance(shortened) >= width)
            break;
        best = shortened;
    }
    const qsizetype first = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return best.isEmpty() ? text.left(first) + dots : best;
}

QString ImageBox::caption() const
{
    const QString name = settings->showExtension() ? fileName() : displayName();
    // Measured with the font it is drawn in, so that what is kept fits.
    QString text = shortenCaption(name, QFontMetrics(captionFont()), width());
    if (settings->showDimension() && imageWidth() != 0 && imageHeight() != 0)
        text += QStringLiteral("\n%1x%2").arg(imageWidth()).arg(imageHeight());
    return text;
}

void ImageBox::paintEvent(QPaintEvent *event)
{
    const int w = width();
    const int h = height();
    const bool thumbLoaded = isThumbLoaded();
    const QPixmap shown = pixmap();
    const bool selected = isSelected();
    const QSize frame
            = thumbLoaded ? shown.size()
                          : QSize(ThumbnailCache::previewWidth, ThumbnailCache::previewHeight);
    const int px = (w - frame.width()) / 2;
    const int py = (h - frame.height() - 30) / 2 + 3;
    const int right = px + frame.width() + 1;
    const int bottom = py + frame.height() + 1;

    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.fillRect(rect(), palette().color(selected ? QPalette::Highlight : QPalette::Base));
    if (thumbLoaded)
        painter.drawPixmap(px + 1, py + 1, shown);
    else if (!shown.isNull())
        painter.drawPixmap((w - shown.width()) / 2, (h - shown.height() - 30) / 2 + 3, shown);

    // Drawn over the picture, so that the corner points sit on its corner pixels.
    painter.setPen(Qt::black);
    painter.drawLine(px + 2, bottom, right - 2, bottom);
    painter.drawLine(right, py + 2, right, bottom - 2);
    painter.drawPoint(right - 1, bottom - 1);
    painter.drawPoint(right - 1, py + 1);
    painter.setPen(Qt::lightGray);
    painter.drawLine(px + 2, py, right - 2, py);
    painter.drawLine(px, py + 2, px, bottom - 2);
    painter.drawPoint(px + 1, py + 1);
    painter.drawPoint(px + 1, bottom - 1);

    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.setFont(captionFont());
    painter.drawText(QRect(0, h - captionBand, w, captionBand), Qt::AlignCenter, caption());
}

void ImageBox::mouseReleaseEvent(QMouseEvent *event)
{
    // A finger that slid off the box, or a drag the grid's scroller took over (it ends the
    // press with a release far outside), is no tap.
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void ImageBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked();
        break;
    case Qt::Key_Left:
        emit leftPressed();
        break;
    case Qt::Key_Up:
        emit upPressed();
        break;
    case Qt::Key_Right:
        emit rightPressed();
        break;
    case Qt::Key_Down:
        emit downPressed();
        break;
    case Qt::Key_Home:
        emit homePressed();
        break;
    case Qt::Key_End:
        emit endPressed();
        break;
    default:
        break;
    }
    event->accept();
}
