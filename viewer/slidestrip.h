#pragma once

#include <QPixmap>
#include <QWidget>

#include <optional>

class QVariantAnimation;

// The picture shown and its neighbours side by side over the view, while a swipe moves them
// with the finger, and the slide that ends the swipe: on to a neighbour or back.
class SlideStrip : public QWidget
{
    Q_OBJECT
public:
    explicit SlideStrip(QWidget *view);

    // shown: what the view shows, with its top left corner at in the view; next, previous: the
    // neighbours as fitted to the view, null while they are not ready; hasNext, hasPrevious:
    // whether there is one to go to. Covers the view.
    void begin(const QPixmap &shown, QPoint at, const QPixmap &next, const QPixmap &previous,
               bool hasNext, bool hasPrevious);
    // The finger's travel sideways since the press; held back at an end of the list.
    void follow(double across);
    // Slides on to the next picture (direction 1), the previous (-1), or back (0).
    void settle(int direction);
    // Ends a slide under way at once, as if it had run its course.
    void hurry();
    // Hidden without a word, the slide stopped.
    void cancel();
    // A neighbour decoded after the swipe began takes its empty place (1: next, -1: previous).
    void fillIn(int direction, const QPixmap &picture);

    double offset() const { return shift; }
    bool isSliding() const;

    static constexpr int gap = 16; // between two pictures
    static constexpr int slideTime = 220; // ms, for a whole view's width

signals:
    // The slide has ended on the neighbour direction, or back on the picture (0).
    void settled(int direction);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap shown;
    QPixmap next;
    QPixmap previous;
    QPoint at;
    bool hasNext = false;
    bool hasPrevious = false;
    double shift = 0;
    // Where the finger was when the strip appeared: the picture moves from there, not by the
    // distance the finger had to travel before a swipe was told from a tap.
    std::optional<double> origin;
    int heading = 0; // where the slide under way ends
    QVariantAnimation *slide;
};
