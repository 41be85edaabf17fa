#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class QThreadPool;

// Fitted pictures decoded in the thread pool before they are asked for, so that showing one
// only swaps it in. Keeps at most two, the oldest going first when a third is asked for.
class Prefetcher : public QObject
{
    Q_OBJECT
public:
    explicit Prefetcher(QObject *parent = nullptr);
    ~Prefetcher() override;

    // Starts decoding path's picture fitted to box (turned to fill it best when bestFit),
    // unless it is ready or under way already.
    void prefetch(const QString &path, QSize box, bool bestFit);
    bool isReady(const QString &path, QSize box, bool bestFit) const;
    // That picture, still kept, when it is ready; a null image otherwise.
    QImage peek(const QString &path, QSize box, bool bestFit) const;
    // What the loader told of the file while it made the picture.
    struct Facts
    {
        QByteArray format;
        QSize size; // upright; empty when the file does not decode
        int colours = 0;
        bool turned = false; // turned a quarter to fill the box best
    };

    // That picture, no longer kept: at once when it is ready, else once it is decoded, here
    // when no worker has started it yet. A null image when the file does not decode.
    QImage take(const QString &path, QSize box, bool bestFit, Facts *facts = nullptr);
    // Forgets every picture; decodes not started yet never run.
    void drop();

    static constexpr int capacity = 2;

    // The workers that decode pictures and previews, one per core. Not Qt's global pool: in
    // Qt 6.4 the raster painter hands its fills to that one and waits for them, so a decode
    // there stalls the painting on the GUI thread.
    static QThreadPool *pool();

signals:
    // A picture asked for with prefetch() is ready to be taken.
    void ready(const QString &path);

private:
    struct Job;
    struct Inbox;
    std::shared_ptr<Job> find(const QString &path, QSize box, bool bestFit) const;

    QList<std::shared_ptr<Job>> jobs; // oldest first
    std::shared_ptr<Inbox> inbox;
};
