#pragma once

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWaitCondition>

#include <sys/types.h>

#include <optional>
#include <vector>

struct DecodeReply;
struct DecodeRequest;

// The program's side of the decoding helpers: a few helper processes, started on demand and
// reused, each handed an open file and a request and giving back the picture. A helper that
// dies, overruns its time or grows too large is killed and replaced, and that file gives
// nothing. Callable from any thread; one helper is kept for the GUI thread so that it never
// waits behind the workers.
class DecoderPool
{
public:
    static DecoderPool &instance();

    struct Facts
    {
        QByteArray format;
        QSize stored; // as the file stores it
        bool swapped = false;
    };
    // refused, when given, tells whether a helper looked at the content and knew no reader
    // for it (rather than failing to answer).
    std::optional<Facts> probe(int fd, const QByteArray &hint = QByteArray(),
                               bool *refused = nullptr);

    struct Picture
    {
        QImage image;
        int colours = 0;
    };
    // full and target are upright; clip, when valid, is the part of the target wanted.
    std::optional<Picture> decode(int fd, const QByteArray &format, QSize full, QSize target,
                                  bool swapped, QRect clip = QRect());

    // The helper program used, empty when none was found.
    QString program();
    // For tests: another helper program (empty: search again), and a shorter wait.
    void setProgram(const QString &path);
    void setTimeLimit(int milliseconds);

    // Ends every helper; the pool starts new ones when asked again.
    void stop();

private:
    struct Helper
    {
        pid_t pid = -1;
        int socket = -1;
        bool busy = false;
    };

    DecoderPool() = default;
    Helper *acquire();
    void release(Helper *helper, bool keep);
    Helper *start();
    bool exchange(Helper *helper, const DecodeRequest &request, int fd, DecodeReply &reply,
                  int &memfd);
    bool await(Helper *helper, int timeLimit);
    static void end(Helper *helper);

    QMutex mutex;
    QWaitCondition idle;
    std::vector<Helper *> helpers; // owned
    int busy = 0;
    int starting = 0;
    QString path;
    bool searched = false;
    int timeLimit = 10000;
};
