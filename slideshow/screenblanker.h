#pragma once

#include <QString>

// Turns the screen off and on by whichever means the machine offers: a backlight in
// /sys/class/backlight, the framebuffer's blanking when Qt draws on one, DPMS through xset
// under X. The frame also paints itself black, which is all that is left elsewhere.
class ScreenBlanker
{
public:
    ScreenBlanker();
    ~ScreenBlanker();
    ScreenBlanker(const ScreenBlanker &) = delete;
    ScreenBlanker &operator=(const ScreenBlanker &) = delete;

    void setBlank(bool blank);
    bool isBlank() const { return blanked; }
    // What turned the screen off last: "backlight", "framebuffer", "dpms" or "black".
    QString method() const { return m_method; }

private:
    bool backlight(bool blank);
    bool framebuffer(bool blank);
    bool dpms(bool blank);

    bool blanked = false;
    QString m_method;
};
