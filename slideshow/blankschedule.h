#pragma once

#include <QString>
#include <QTime>

// The hours the frame stays dark, "HH:MM-HH:MM", the range running over midnight when it
// ends before it starts ("22:30-07:00").
class BlankSchedule
{
public:
    BlankSchedule() = default;
    // Invalid (never dark) unless text is such a range of two different times.
    static BlankSchedule parse(const QString &text);

    bool isValid() const { return start.isValid() && end.isValid() && start != end; }
    bool isDark(QTime time) const;
    // Milliseconds from time until dark turns to light or back; -1 when it never does.
    int msecsToChange(QTime time) const;
    QString toString() const;

private:
    QTime start, end;
};
