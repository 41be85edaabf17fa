#include "tst_robustness.h"
#include "common/testutil.h"

#include "app/pictarn.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "platform/zmultilineedit.h"
#include "slideshow/slideshow.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template<typename T>
void put(QByteArray &out, T value, bool bigEndian = false)
{
    char bytes[sizeof(T)];
    if (bigEndian)
        qToBigEndian(value, bytes);
    else
        qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void pngChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    put<quint32>(out, quint32(data.size()), true);
    const QByteArray body = QByteArray(type) + data;
    out.append(body);
    put<quint32>(out, crc32(body), true);
}

QByteArray digest(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QByteArrayLiteral("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha1);
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        hash.addData(QByteArrayView(buffer, n));
    ::close(fd);
    return hash.result().toHex();
}

void walk(const QByteArray &folder, QMap<QByteArray, QByteArray> &files)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || name == ".ptthumbs")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat info;
        if (::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            walk(path, files);
            continue;
        }
        QByteArray facts = QByteArray::number(info.st_mode) + ' ' + QByteArray::number(info.st_size)
                           + ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.'
                           + QByteArray::number(qint64(info.st_mtim.tv_nsec));
        if (S_ISREG(info.st_mode))
            facts += ' ' + digest(path);
        files.insert(path, facts);
    }
    ::closedir(dir);
}

ImageWidget *fullScreenSurface()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *surface = qobject_cast<ImageWidget *>(widget);
        if (surface && !qobject_cast<SlideShow *>(widget) && surface->isVisible())
            return surface;
    }
    return nullptr;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8
           && qAbs(qBlue(a) - qBlue(b)) <= 8;
}

int lightness(QRgb c)
{
    return qRed(c) + qGreen(c) + qBlue(c);
}

} // namespace

namespace Crafted {

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(30 + (x * 200) / qMax(1, width - 1),
                                30 + (y * 200) / qMax(1, height - 1), 150));
    }
    return image;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

QByteArray jpeg(const QImage &image, bool progressive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QByteArray bmp(int bits, int width, int height)
{
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    const int pixelsAt = 14 + 40 + 4 * colours;
    QByteArray out("BM");
    put<quint32>(out, quint32(pixelsAt + stride * height));
    put<quint32>(out, 0);
    put<quint32>(out, quint32(pixelsAt));
    put<quint32>(out, 40);
    put<quint32>(out, quint32(width));
    put<quint32>(out, quint32(height));
    put<quint16>(out, 1);
    put<quint16>(out, quint16(bits));
    put<quint32>(out, 0); // no compression; 16 bits are 5-5-5
    put<quint32>(out, quint32(stride * height));
    put<quint32>(out, 2835);
    put<quint32>(out, 2835);
    put<quint32>(out, quint32(colours));
    put<quint32>(out, 0);
    for (int i = 0; i < colours; ++i) {
        const QRgb c = bits == 1 ? (i == 0 ? qRgb(60, 60, 60) : qRgb(120, 30, 200))
                                 : qRgb(40 + i * 12, 200 - i * 10, 90 + i * 8);
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int row = height - 1; row >= 0; --row) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool low = row >= height / 2;
            if (bits == 1) {
                if (right != low)
                    line[x / 8] = char(line[x / 8] | (0x80 >> (x % 8)));
            } else if (bits == 4) {
                const int index = (x * 4) / width + 4 * ((row * 4) / height);
                line[x / 2] = char(line[x / 2] | (x % 2 ? index : index << 4));
            } else {
                const int r = 4 + (x * 27) / qMax(1, width - 1);
                const int g = 4 + (row * 27) / qMax(1, height - 1);
                const quint16 word = quint16((r << 10) | (g << 5) | 18);
                qToLittleEndian(word, line.data() + 2 * x);
            }
        }
        out.append(line);
    }
    return out;
}

QByteArray pngDeclaring(quint32 width, quint32 height)
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    put<quint32>(header, width, true);
    put<quint32>(header, height, true);
    header.append("\x08\x02\x00\x00\x00", 5);
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", QByteArray::fromHex("789c030000000001"));
    pngChunk(out, "IEND", QByteArray());
    return out;
}

QByteArray cmykJpeg()
{
    return QByteArray::fromHex(
            "ffd8ffee000e41646f626500640000000002ffdb00430006040506050406060506070706080a100a0a09"
            "090a140e0f0c1017141818171416161a1d251f1a1b231c1616202c20232627292a29191f2d302d283025"
            "282928ffdb0043010707070a080a130a0a13281a161a2828282828282828282828282828282828282828"
            "282828282828282828282828282828282828282828282828282828282828ffc000140800060008040122"
            "00021101031101042200ffc4001500010100000000000000000000000000000007ffc4001d1001000103"
            "050000000000000000000000000103061516545692a2ffc4001501010100000000000000000000000000"
            "000507ffc4001c11000006030000000000000000000000000001020516915354d1ffda000e0401000211"
            "03110400003f00ade98adbd9ea02212676d8558162cd380acfa2ed80b9b90f9901ffd9");
}

QByteArray interlacedPng()
{
    return QByteArray::fromHex(
            "89504e470d0a1a0a0000000d49484452000000080000000608020000010660783a0000003f4944415408"
            "d76360686060606860603cf3948181818191a181818101ce4bdbc40007502908604933429281a886728c"
            "673260052c69c6d82518ffffc72e0100d0aa0c37f38064d30000000049454e44ae426082");
}

QByteArray animatedGif()
{
    return QByteArray::fromHex(
            "47494638396106000400f00000ff000000000021f904000000000021ff0b4e45545343415045322e3003"
            "010000002c0000000006000400000204848fa9570021f90400000000002c0000000006000400800000ff"
            "0000000204848fa957003b");
}

bool write(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QMap<QByteArray, QByteArray> snapshot(const QString &folder)
{
    QMap<QByteArray, QByteArray> files;
    walk(QFile::encodeName(folder), files);
    return files;
}

QStringList damagedCacheFiles(const QString &cacheFolder)
{
    QStringList damaged;
    const QDir dir(cacheFolder);
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        QFile file(entry.filePath());
        if (!entry.fileName().endsWith(QLatin1String(".part")) && file.open(QIODevice::ReadOnly)) {
            const QByteArray data = file.readAll();
            const qsizetype end = data.indexOf('\n');
            QImage preview;
            if (end > 0 && preview.loadFromData(data.mid(end + 1), "bmp")
                && data.size() - end - 1 >= qFromLittleEndian<quint32>(data.constData() + end + 3))
                continue;
        }
        damaged << entry.fileName();
    }
    return damaged;
}

QString mountTmpfs(const QString &dir, int kilobytes)
{
    if (::geteuid() != 0)
        return QStringLiteral("mounting a small file system needs root");
    QDir().mkpath(dir);
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), dir})
        != 0)
        return QStringLiteral("this machine does not allow mounting a tmpfs");
    return QString();
}

QRect pictureRect(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) != 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace Crafted

ThumbnailView *tst_Robustness::thumbnailView(Pictarn &window)
{
    return window.thumbnailView;
}

ImageListView *tst_Robustness::imageListView(Pictarn &window)
{
    return window.imageListView;
}

ImageViewer *tst_Robustness::imageViewer(Pictarn &window)
{
    return window.imageViewer;
}

Settings *tst_Robustness::settings(Pictarn &window)
{
    return window.settings.get();
}

void tst_Robustness::loadFolder(Pictarn &window, const QString &folder)
{
    window.currentFolder = folder;
    window.loadFolder(folder);
}

void tst_Robustness::startSlideShow(Pictarn &window)
{
    window.startSlideShow();
}

void tst_Robustness::showImage(Pictarn &window, const QString &path)
{
    window.showImage(path);
}

void tst_Robustness::settle()
{
    // The window queues its deferred work as posted calls; each runs to its end here.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
    // The thumbnail pass goes on in worker threads: its previews are all in when this returns.
    const QWidgetList widgets = QApplication::allWidgets();
    QList<QPointer<ThumbnailView>> views;
    for (QWidget *widget : widgets) {
        if (auto *view = qobject_cast<ThumbnailView *>(widget))
            views << view;
    }
    for (const QPointer<ThumbnailView> &view : views) {
        if (view && view->isLoading()) {
            QSignalSpy finished(view.data(), &ThumbnailView::passFinished);
            finished.wait(60000);
        }
    }
}

QStringList tst_Robustness::listedNames(Pictarn &window)
{
    QStringList names;
    for (int i = 0; i < window.imageListView->topLevelItemCount(); ++i)
        names << static_cast<ImageListItem *>(window.imageListView->topLevelItem(i))->name();
    return names;
}

QStringList tst_Robustness::listedSizes(Pictarn &window)
{
    QStringList sizes;
    for (int i = 0; i < window.imageListView->topLevelItemCount(); ++i)
        sizes << window.imageListView->topLevelItem(i)->text(1);
    return sizes;
}

SlideShow *tst_Robustness::slideShow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *show = qobject_cast<SlideShow *>(widget); show && show->isVisible())
            return show;
    }
    return nullptr;
}

bool tst_Robustness::beginCase(std::unique_ptr<QTemporaryDir> &root)
{
    root = std::make_unique<QTemporaryDir>();
    return root->isValid()
           && TestUtil::writeConfig(QStringLiteral(
                   "[Settings]\nthumbFileSize=0\nslideDelay=60\ncontrolBarInSlide=false\n"));
}

void tst_Robustness::endCase(std::unique_ptr<QTemporaryDir> &root)
{
    closeStrayWindows();
    root.reset();
}

void tst_Robustness::closeStrayWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<ImageWidget *>(widget))
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_Robustness::useViewer(Pictarn &window, const QString &path, QSize size)
{
    ImageViewer *viewer = window.imageViewer;
    showImage(window, path);
    QTRY_VERIFY(viewer->isVisible());
    settle();
    auto *scroll = viewer->findChild<QScrollArea *>();
    QVERIFY(scroll);
    auto *surface = qobject_cast<ImageWidget *>(scroll->widget());
    QVERIFY(surface);
    const bool shown = !size.isEmpty();

    // Fitted: small pictures keep their size, none is empty unless the file is unusable.
    QCOMPARE(!surface->size().isEmpty(), shown);
    const QSize fitted = surface->size();
    if (shown && size.width() < 200 && size.height() < 200)
        QCOMPARE(fitted, size); // small pictures keep their size
    const QImage before = surface->grab().toImage();

    viewer->zoomIn();
    viewer->zoomOut();
    viewer->zoomMax();
    QCOMPARE(!surface->size().isEmpty(), shown);
    viewer->scaleToScreen();
    QCOMPARE(surface->size(), fitted);

    // A quarter turn clockwise puts the bottom-left pixel at the top left.
    viewer->rotate90();
    const bool small = size.width() < 200 && size.height() < 200;
    if (small)
        QCOMPARE(surface->size(), fitted.transposed());
    else if (fitted.width() != fitted.height())
        QCOMPARE(surface->width() > surface->height(), fitted.width() < fitted.height());
    if (shown && small) {
        const QImage turned = surface->grab().toImage();
        QVERIFY2(near(turned.pixel(0, 0), before.pixel(0, before.height() - 1)),
                 qPrintable(QStringLiteral("%1 after the turn, %2 before")
                                    .arg(turned.pixel(0, 0), 0, 16)
                                    .arg(before.pixel(0, before.height() - 1), 0, 16)));
    }
    viewer->rotate180();
    viewer->rotate90();
    QCOMPARE(surface->size(), fitted);

    viewer->brightUpImage();
    QCOMPARE(surface->size(), fitted);
    if (shown) {
        const QPoint middle(fitted.width() / 2, fitted.height() / 2);
        const QRgb original = before.pixel(middle);
        const QRgb lighter = surface->grab().toImage().pixel(middle);
        // Channels at 0 or 255 cannot change; any other must.
        const bool canRise
                = (qRed(original) % 255) || (qGreen(original) % 255) || (qBlue(original) % 255);
        QVERIFY(canRise ? lightness(lighter) > lightness(original) : lighter == original);
        viewer->brightDownImage();
        viewer->brightDownImage();
        const QRgb darker = surface->grab().toImage().pixel(middle);
        QVERIFY(lightness(darker) < lightness(original));
        viewer->brightUpImage();
    } else {
        viewer->brightDownImage();
    }

    // Full screen: the picture on black, or black alone.
    viewer->showFullScreen();
    ImageWidget *full = nullptr;
    QTRY_VERIFY((full = fullScreenSurface()));
    QVERIFY(!viewer->isVisible());
    QCOMPARE(Crafted::pictureRect(full->grab().toImage()).isEmpty(), !shown);
    QTest::mouseClick(full, Qt::LeftButton);
    QTRY_VERIFY(viewer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The information box.
    QStringList values;
    QTimer::singleShot(0, [&values] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget *box = QApplication::activeModalWidget();
        for (ZMultiLineEdit *value : box->findChildren<ZMultiLineEdit *>())
            values << value->toPlainText();
        for (QAbstractButton *button : box->findChildren<QAbstractButton *>())
            button->click();
    });
    viewer->showInfoDialog();
    QCOMPARE(values.size(), 6);
    QCOMPARE(values.at(0), QFileInfo(path).fileName());
    QCOMPARE(values.at(4), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));

    viewer->reject();
    QVERIFY(!viewer->isVisible());
}

void tst_Robustness::runSlideShow(Pictarn &window, const QList<bool> &shown)
{
    startSlideShow(window);
    SlideShow *show = slideShow();
    QVERIFY(show);
    const QPointer<SlideShow> guard(show);
    auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
    QVERIFY(counter);
    for (int i = 0; i < shown.size(); ++i) {
        if (i > 0)
            QTest::keyClick(show, Qt::Key_Right);
        QTRY_COMPARE(counter->text(), QStringLiteral("%1/%2").arg(i + 1).arg(shown.size()));
        QVERIFY(show->isVisible());
        const QRect picture = Crafted::pictureRect(show->grab().toImage());
        QVERIFY2(picture.isEmpty() != shown.at(i), qPrintable(QString::number(i)));
    }
    QTest::keyClick(show, Qt::Key_Right); // past the last: the show ends
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(guard.isNull());
}
