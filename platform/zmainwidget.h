#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QVBoxLayout;

// A full-screen screen: a title line, a content area and a soft-key bar. show() runs the
// screen in a local event loop and returns when it has been closed.
class ZMainWidget : public QWidget
{
    Q_OBJECT
public:
    ZMainWidget(const QString &title, bool editMode = true, QWidget *parent = nullptr,
                const char *name = nullptr, Qt::WindowFlags flags = {});

    void setContentWidget(QWidget *widget);
    QWidget *getContentWidget() const { return content; }
    void setCSTWidget(QWidget *widget);
    QWidget *getCSTWidget() const { return softKeys; }
    QLabel *titleLabel() const { return title; }

    // Shows the screen full size and waits until it is closed.
    void show();

    static constexpr int titleHeight = 24;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QLabel *title;
    QVBoxLayout *layout;
    QVBoxLayout *contentArea;
    QVBoxLayout *softKeyArea;
    QPointer<QWidget> content;
    QPointer<QWidget> softKeys;
    bool running = false;
};
