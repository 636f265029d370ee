// The pixels on the screen, as the X server shows them. A program under Wine
// cannot read other programs' pixels itself, so the harness takes the shot.
#ifndef AUTORUN_TESTS_SCREEN_H
#define AUTORUN_TESTS_SCREEN_H

#include <windows.h>

#include <string>

class Screenshot {
public:
    // Takes the shot; false (with the reason in Error()) if it did not come.
    bool Take(DWORD ms = 10000);
    const std::string& Error() const { return m_error; }
    // The colour at a screen point, as 0x00RRGGBB.
    DWORD At(int x, int y) const;

private:
    std::string m_rgb;
    int m_width = 0, m_height = 0;
    std::string m_error;
};

#endif
