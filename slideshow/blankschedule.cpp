#include "slideshow/blankschedule.h"

#include <QRegularExpression>

namespace {
constexpr int day = 24 * 60 * 60 * 1000;

int msecsFrom(QTime from, QTime to)
{
    const int gap = from.msecsTo(to);
    return gap > 0 ? gap : gap + day;
}
} // namespace

BlankSchedule BlankSchedule::parse(const QString &text)
{
    static const QRegularExpression pattern(
            QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*-\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    BlankSchedule schedule;
    if (!match.hasMatch())
        return schedule;
    const QTime start(match.captured(1).toInt(), match.captured(2).toInt());
    const QTime end(match.captured(3).toInt(), match.captured(4).toInt());
    if (start.isValid() && end.isValid() && start != end) {
        schedule.start = start;
        schedule.end = end;
    }
    return schedule;
}

bool BlankSchedule::isDark(QTime time) const
{
    if (!isValid() || !time.isValid())
        return false;
    if (start < end)
        return time >= start && time < end;
    return time >= start || time < end;
}

int BlankSchedule::msecsToChange(QTime time) const
{
    if (!isValid() || !time.isValid())
        return -1;
    return msecsFrom(time, isDark(time) ? end : start);
}

QString BlankSchedule::toString() const
{
    if (!isValid())
        return {};
    return start.toString(QStringLiteral("HH:mm")) + QLatin1Char('-')
           + end.toString(QStringLiteral("HH:mm"));
}
