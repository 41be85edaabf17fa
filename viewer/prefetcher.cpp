#include "viewer/prefetcher.h"

#include "viewer/imageloader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>

struct Prefetcher::Job
{
    Job(const QString &path, QSize box, bool bestFit) : path(path), box(box), bestFit(bestFit) { }

    bool is(const QString &p, QSize b, bool f) const
    {
        return path == p && box == b && bestFit == f;
    }

    // Whoever claims the job first decodes it; a dropped job is claimed by nobody's decode.
    bool claim() { return !claimed.exchange(true); }

    // What tells a file that changed or went since its picture was made.
    static QString stampOf(const QString &path)
    {
        const QFileInfo file(path);
        return file.exists() ? QStringLiteral("%1 %2")
                                       .arg(file.size())
                                       .arg(file.lastModified().toMSecsSinceEpoch())
                             : QString();
    }

    void decode()
    {
        const QString before = stampOf(path);
        ImageLoader loader;
        loader.load(path);
        bool turned = false;
        const QImage *fitted = bestFit ? loader.bestFitImage(box.width(), box.height(), turned)
                                       : loader.fittedImage(box.width(), box.height());
        const QImage result = fitted ? *fitted : QImage();
        const Facts told{loader.imageFormat(), QSize(loader.width(), loader.height()),
                         loader.colorCount(), turned};
        const QMutexLocker lock(&mutex);
        image = result;
        facts = told;
        stamp = before;
        done = true;
        finished.wakeAll();
    }

    QImage wait()
    {
        QMutexLocker lock(&mutex);
        while (!done)
            finished.wait(&mutex);
        return image;
    }

    bool isDone()
    {
        const QMutexLocker lock(&mutex);
        return done;
    }

    const QString path;
    const QSize box;
    const bool bestFit;
    std::atomic<bool> claimed{false};
    QMutex mutex;
    QWaitCondition finished;
    bool done = false; // under the mutex, as image and stamp
    QImage image;
    Facts facts;
    QString stamp;
};

struct Prefetcher::Inbox
{
    QMutex mutex;
    Prefetcher *owner = nullptr; // null once the prefetcher is gone; under the mutex
};

Prefetcher::Prefetcher(QObject *parent) : QObject(parent), inbox(std::make_shared<Inbox>())
{
    inbox->owner = this;
}

Prefetcher::~Prefetcher()
{
    drop();
    const QMutexLocker lock(&inbox->mutex);
    inbox->owner = nullptr;
}

std::shared_ptr<Prefetcher::Job> Prefetcher::find(const QString &path, QSize box,
                                                  bool bestFit) const
{
    for (const std::shared_ptr<Job> &job : jobs) {
        if (job->is(path, box, bestFit))
            return job;
    }
    return nullptr;
}

void Prefetcher::prefetch(const QString &path, QSize box, bool bestFit)
{
    if (find(path, box, bestFit))
        return;
    while (jobs.size() >= capacity)
        jobs.takeFirst()->claim(); // not decoded if no worker has begun
    auto job = std::make_shared<Job>(path, box, bestFit);
    jobs.append(job);
    // Ahead of the thumbnail pass's jobs: the picture is what the user waits for.
    pool()->start(
            [job, inbox = inbox] {
                if (!job->claim())
                    return;
                job->decode();
                const QMutexLocker lock(&inbox->mutex);
                if (Prefetcher *owner = inbox->owner) {
                    QMetaObject::invokeMethod(
                            owner,
                            [owner, job] {
                                if (owner->jobs.contains(job))
                                    emit owner->ready(job->path);
                            },
                            Qt::QueuedConnection);
                }
            },
            1);
}

bool Prefetcher::isReady(const QString &path, QSize box, bool bestFit) const
{
    const std::shared_ptr<Job> job = find(path, box, bestFit);
    return job && job->isDone();
}

QImage Prefetcher::peek(const QString &path, QSize box, bool bestFit) const
{
    const std::shared_ptr<Job> job = find(path, box, bestFit);
    return job && job->isDone() ? job->wait() : QImage();
}

QImage Prefetcher::take(const QString &path, QSize box, bool bestFit, Facts *facts)
{
    std::shared_ptr<Job> job = find(path, box, bestFit);
    if (job)
        jobs.removeOne(job);
    else
        job = std::make_shared<Job>(path, box, bestFit);
    if (job->claim())
        job->decode();
    QImage image = job->wait();
    if (job->stamp == Job::stampOf(path)) {
        if (facts)
            *facts = job->facts;
        return image;
    }
    // Made before the file changed: made again from what the file holds now.
    Job again(path, box, bestFit);
    again.decode();
    if (facts)
        *facts = again.facts;
    return again.image;
}

QThreadPool *Prefetcher::pool()
{
    // Goes with the application, which waits for the decodes still running.
    static QThreadPool *workers = [] {
        auto *made = new QThreadPool(QCoreApplication::instance());
        made->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return made;
    }();
    return workers;
}

void Prefetcher::drop()
{
    for (const std::shared_ptr<Job> &job : std::exchange(jobs, {}))
        job->claim();
}
