#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

// Lists the images of folders away from the event loop: a worker reads the names and puts them
// in their natural order; they are then handed out in order, a slice per turn of the event
// loop, so that the window stays responsive and the first screenful comes at once.
class FolderLister : public QObject
{
    Q_OBJECT
public:
    explicit FolderLister(QObject *parent = nullptr);
    ~FolderLister() override;

    // Lists these folders' images, all in one order, after any listing under way.
    void list(const QStringList &folders);
    // Drops every listing, under way or waiting.
    void cancel();
    bool isListing() const { return job != nullptr || !waiting.isEmpty(); }

signals:
    // The next images in order. Rows of one listing compare by rank alone: rank is the first
    // one's, the others follow; epoch tells the listings apart.
    void imagesFound(const QStringList &names, const QStringList &paths, int rank, int epoch);
    // A folder read, with its images' names; a large folder's come in several parts.
    void folderRead(const QString &folder, const QStringList &names);
    // The last listing asked for is handed out.
    void finished();

private:
    struct Job;
    void start();
    void handOut();

    std::shared_ptr<Job> job; // the listing under way
    QList<QStringList> waiting;
    QTimer slicer;
    int epoch = 0;
};
