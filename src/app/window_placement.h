#pragma once

// CZNWindowPlacement: the main window's saved placement, the ten numbers of the "WinPos"/"Main"
// setting ("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show command, minimised point, maximised
// point, normal rectangle), and the rules that turn it into the shown window. Plain values, no
// ownership. A value that is empty or does not hold all ten numbers is refused as a whole.
#include <string>
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

// Show commands.
enum : UINT {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};

struct WINDOWPLACEMENT {
    UINT length = sizeof(WINDOWPLACEMENT);
    UINT flags = 0;
    UINT showCmd = SW_SHOWNORMAL;
    POINT ptMinPosition{-1, -1};
    POINT ptMaxPosition{-1, -1};
    RECT rcNormalPosition{0, 0, 0, 0};
};

class ZN_API CZNWindowPlacement
{
public:
    // The setting's text of a placement.
    static std::string Format(const WINDOWPLACEMENT &placement);
    // Reads the ten numbers; false (placement untouched) for null, empty or malformed text.
    static bool Parse(const std::string &text, WINDOWPLACEMENT *placement);
    // The show command to store: a window closed minimised is saved as shown normally.
    static UINT SavedShowCommand(UINT showCmd);
    // The show command to open with: the requested one, unless it is SW_SHOWNORMAL or negative
    // and a placement was saved, in which case the saved one.
    static int OpenShowCommand(int requested, const WINDOWPLACEMENT *saved);
    // A normal rectangle that meets none of the screens is moved to the primary screen's corner
    // (and cut to its size); one that meets a screen is kept. Nothing changes without screens.
    static void KeepOnScreen(RECT *normal, const std::vector<RECT> &screens, size_t primary);
};
