#include "browse/folderlister.h"

#include "browse/imagefiles.h"
#include "browse/naturalorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>

namespace {
// Enough for the first screen of the grid and the list.
constexpr qsizetype earlyCount = 64;
} // namespace

struct FolderLister::Job
{
    QStringList folders;
    std::atomic<bool> cancelled{false};
    // Filled by the worker, read once it is done (names and early once they are ready).
    QList<QStringList> names; // of each folder
    struct Entry
    {
        int folder;
        int name;
    };
    std::vector<Entry> order;
    // The first few of order, known before the rest is sorted: the first screenful.
    std::vector<Entry> early;
    bool earlyReady = false;
    bool done = false;
    qsizetype handedOut = 0; // entries
    qsizetype foldersHandedOut = 0;
    qsizetype namesHandedOut = 0; // of the folder being handed out

    // onEarly is called once early is filled, from the worker.
    void run(const std::function<void()> &onEarly)
    {
        names.reserve(folders.size());
        for (const QString &folder : std::as_const(folders)) {
            QStringList found;
            ImageFiles::readFolder(folder, found, -1, &cancelled);
            names.append(found);
            if (cancelled)
                return;
        }
        qsizetype total = 0;
        for (const QStringList &found : std::as_const(names))
            total += found.size();
        order.reserve(size_t(total));
        for (int f = 0; f < names.size(); ++f) {
            for (int n = 0; n < names.at(f).size(); ++n)
                order.push_back({f, n});
        }
        QCollator collator = NaturalOrder::collator();
        const qsizetype count = qsizetype(order.size());
        // Names equal to the collator keep the order they were read in, as stable sorting
        // keeps them.
        const auto before = [&](int byCollator, int a, int b) {
            if (byCollator != 0)
                return byCollator < 0;
            const int byName = nameOf(order[a]).compare(nameOf(order[b]));
            return byName != 0 ? byName < 0 : a < b;
        };
        std::vector<char> isEarly;
        if (count > earlyCount * 4) {
            // The first few by the collator alone, which costs a fraction of a key for each
            // name; taken in a scattered order, so that names read backwards do not make each
            // one a new first.
            // Most names lose to the heap's top by their first differing letter or number.
            const bool quick = NaturalOrder::hasQuickOrder(collator);
            const auto less = [&](int a, int b) {
                const QString &x = nameOf(order[a]), &y = nameOf(order[b]);
                const int byQuick = quick ? NaturalOrder::quickCompare(x, y) : 0;
                return before(byQuick != 0 ? byQuick : collator.compare(x, y), a, b);
            };
            std::vector<int> heap;
            for (qsizetype i = 0; i < count && !cancelled; ++i) {
                const int at = int(quint64(i) * 2147483647u % quint64(count));
                if (qsizetype(heap.size()) < earlyCount) {
                    heap.push_back(at);
                    std::push_heap(heap.begin(), heap.end(), less);
                } else if (less(at, heap.front())) {
                    std::pop_heap(heap.begin(), heap.end(), less);
                    heap.back() = at;
                    std::push_heap(heap.begin(), heap.end(), less);
                }
            }
            std::sort_heap(heap.begin(), heap.end(), less);
            isEarly.assign(order.size(), 0);
            for (const int at : heap) {
                early.push_back(order[at]);
                isEarly[at] = 1;
            }
            if (cancelled)
                return;
            onEarly();
        }
        // Sorted by collation keys, made once per name: comparing names with the collator
        // each time costs several times more.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(order.size());
        for (const Entry &entry : order)
            keys.push_back(collator.sortKey(nameOf(entry)));
        std::vector<int> index;
        index.reserve(order.size());
        for (int i = 0; i < int(count); ++i) {
            if (isEarly.empty() || !isEarly[i])
                index.push_back(i);
        }
        std::sort(index.begin(), index.end(),
                  [&](int a, int b) { return before(keys[a].compare(keys[b]), a, b); });
        // The early ones lead, whatever the keys say: they are handed out already.
        std::vector<Entry> sorted = early;
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
        // Tells the lister on its own thread, unless a newer listing took this one's place.
        const auto tell = [self, job](bool Job::*flag) {
            QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, job, flag] {
                        if (!self || self->job != job)
                            return;
                        (*job).*flag = true;
                        self->handOut();
                    },
                    Qt::QueuedConnection);
        };
        job->run([tell] { tell(&Job::earlyReady); });
        tell(&Job::done);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void FolderLister::handOut()
{
    if (!job || !(job->done || job->earlyReady))
        return;
    const std::shared_ptr<Job> current = job;
    // Until the worker is done, only the early ones are the worker's no more.
    const std::vector<Job::Entry> &order = current->done ? current->order : current->early;
    QElapsedTimer slice;
    slice.start();
    // A slice small enough to keep the event loop turning.
    constexpr qsizetype batch = 256;
    while (current->handedOut < qsizetype(order.size()) && slice.elapsed() < 8) {
        const qsizetype from = current->handedOut;
        const qsizetype to = std::min(from + batch, qsizetype(order.size()));
        QStringList names, paths;
        names.reserve(to - from);
        paths.reserve(to - from);
        for (qsizetype i = from; i < to; ++i) {
            const Job::Entry &entry = order[i];
            names.append(current->nameOf(entry));
            paths.append(current->folders.at(entry.folder) + QLatin1Char('/') + names.last());
        }
        current->handedOut = to;
        emit imagesFound(names, paths, int(from), epoch);
        if (job != current)
            return;
    }
    if (!current->done) { // the rest comes when the worker is done
        if (current->handedOut < qsizetype(order.size()))
            slicer.start();
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
