#include "browse/folderlister.h"

#include "browse/imagefiles.h"
#include "browse/naturalorder.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <atomic>

struct FolderLister::Job
{
    QStringList folders;
    std::atomic<bool> cancelled{false};
    // Filled by the worker, read once it is done.
    QList<QStringList> names; // of each folder
    struct Entry
    {
        int folder;
        int name;
    };
    std::vector<Entry> order;
    bool done = false;
    qsizetype handedOut = 0; // entries
    qsizetype foldersHandedOut = 0;
    qsizetype namesHandedOut = 0; // of the folder being handed out

    void run()
    {
        names.reserve(folders.size());
        for (const QString &folder : std::as_const(folders)) {
            QStringList found;
            QDirIterator it(folder, QDir::Files);
            while (it.hasNext() && !cancelled) {
                it.next();
                const QString name = it.fileName();
                if (ImageFiles::isImageName(name))
                    found.append(name);
            }
            names.append(found);
            if (cancelled)
                return;
        }
        // Sorted by collation keys, made once per name: comparing names with the collator
        // each time costs several times more.
        QCollator collator = NaturalOrder::collator();
        std::vector<QCollatorSortKey> keys;
        for (int f = 0; f < names.size(); ++f) {
            for (int n = 0; n < names.at(f).size(); ++n) {
                order.push_back({f, n});
                keys.push_back(collator.sortKey(names.at(f).at(n)));
            }
        }
        std::vector<int> index(order.size());
        for (size_t i = 0; i < index.size(); ++i)
            index[i] = int(i);
        std::stable_sort(index.begin(), index.end(), [&](int a, int b) {
            const int byKey = keys[a].compare(keys[b]);
            if (byKey != 0)
                return byKey < 0;
            return nameOf(order[a]) < nameOf(order[b]);
        });
        std::vector<Entry> sorted;
        sorted.reserve(order.size());
        for (int i : index)
            sorted.push_back(order[i]);
        order = std::move(sorted);
    }
    const QString &nameOf(const Entry &entry) const
    {
        return names.at(entry.folder).at(entry.name);
    }
};

FolderLister::FolderLister(QObject *parent) : QObject(parent)
{
    slicer.setInterval(0);
    slicer.setSingleShot(true);
    connect(&slicer, &QTimer::timeout, this, &FolderLister::handOut);
}

FolderLister::~FolderLister()
{
    cancel();
}

void FolderLister::list(const QStringList &folders)
{
    waiting.append(folders);
    if (!job)
        start();
}

void FolderLister::cancel()
{
    waiting.clear();
    if (job)
        job->cancelled = true;
    job.reset();
    slicer.stop();
}

void FolderLister::start()
{
    if (waiting.isEmpty())
        return;
    job = std::make_shared<Job>();
    job->folders = waiting.takeFirst();
    ++epoch;
    const QPointer<FolderLister> self(this);
    // A thread of its own: the pools' workers make previews meanwhile.
    QThread *worker = QThread::create([self, job = job] {
        job->run();
        QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, job] {
                    if (!self || self->job != job)
                        return;
                    job->done = true;
                    self->handOut();
                },
                Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void FolderLister::handOut()
{
    if (!job || !job->done)
        return;
    const std::shared_ptr<Job> current = job;
    QElapsedTimer slice;
    slice.start();
    // A slice small enough to keep the event loop turning.
    constexpr qsizetype batch = 256;
    while (current->handedOut < qsizetype(current->order.size()) && slice.elapsed() < 8) {
        const qsizetype from = current->handedOut;
        const qsizetype to = std::min(from + batch, qsizetype(current->order.size()));
        QStringList names, paths;
        names.reserve(to - from);
        paths.reserve(to - from);
        for (qsizetype i = from; i < to; ++i) {
            const Job::Entry &entry = current->order[i];
            names.append(current->nameOf(entry));
            paths.append(current->folders.at(entry.folder) + QLatin1Char('/') + names.last());
        }
        current->handedOut = to;
        emit imagesFound(names, paths, int(from), epoch);
        if (job != current)
            return;
    }
    // Then the watchers' part.
    while (current->handedOut == qsizetype(current->order.size())
           && current->foldersHandedOut < current->folders.size() && slice.elapsed() < 8) {
        // A large folder in parts, each quick to take in.
        const qsizetype f = current->foldersHandedOut;
        const QStringList &names = current->names.at(f);
        constexpr qsizetype part = 4096;
        const qsizetype from = current->namesHandedOut;
        current->namesHandedOut = std::min(from + part, names.size());
        if (current->namesHandedOut == names.size()) {
            current->namesHandedOut = 0;
            ++current->foldersHandedOut;
        }
        emit folderRead(current->folders.at(f),
                        from == 0 && names.size() <= part ? names : names.mid(from, part));
        if (job != current)
            return;
    }
    if (current->handedOut < qsizetype(current->order.size())
        || current->foldersHandedOut < current->folders.size()) {
        slicer.start();
        return;
    }
    job.reset();
    if (!waiting.isEmpty()) {
        start();
        return;
    }
    emit finished();
}
