#include "app/window_placement.h"

#include <algorithm>
#include <cstdio>

std::string CZNWindowPlacement::Format(const WINDOWPLACEMENT &p)
{
    char text[160];
    std::snprintf(text, sizeof(text), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd,
                  static_cast<int>(p.ptMinPosition.x), static_cast<int>(p.ptMinPosition.y),
                  static_cast<int>(p.ptMaxPosition.x), static_cast<int>(p.ptMaxPosition.y),
                  static_cast<int>(p.rcNormalPosition.left), static_cast<int>(p.rcNormalPosition.top),
                  static_cast<int>(p.rcNormalPosition.right), static_cast<int>(p.rcNormalPosition.bottom));
    return text;
}

bool CZNWindowPlacement::Parse(const std::string &text, WINDOWPLACEMENT *placement)
{
    if (!placement || text.empty())
        return false;
    unsigned flags = 0, show = 0;
    int v[8] = {};
    if (std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &flags, &show, &v[0], &v[1], &v[2], &v[3], &v[4],
                    &v[5], &v[6], &v[7]) != 10)
        return false;
    WINDOWPLACEMENT p;
    p.flags = flags;
    p.showCmd = show;
    p.ptMinPosition = {v[0], v[1]};
    p.ptMaxPosition = {v[2], v[3]};
    p.rcNormalPosition = {v[4], v[5], v[6], v[7]};
    *placement = p;
    return true;
}

UINT CZNWindowPlacement::SavedShowCommand(UINT showCmd)
{
    return (showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE) ? SW_SHOWNORMAL : showCmd;
}

int CZNWindowPlacement::OpenShowCommand(int requested, const WINDOWPLACEMENT *saved)
{
    if (!saved || (requested != static_cast<int>(SW_SHOWNORMAL) && requested >= 0))
        return requested;
    return static_cast<int>(saved->showCmd);
}

void CZNWindowPlacement::KeepOnScreen(RECT *normal, const std::vector<RECT> &screens, size_t primary)
{
    if (!normal || screens.empty())
        return;
    for (const RECT &s : screens)
        if (normal->left < s.right && normal->right > s.left && normal->top < s.bottom && normal->bottom > s.top)
            return;
    const RECT &home = screens[std::min(primary, screens.size() - 1)];
    const LONG width = std::max<LONG>(1, std::min<LONG>(normal->right - normal->left, home.right - home.left));
    const LONG height = std::max<LONG>(1, std::min<LONG>(normal->bottom - normal->top, home.bottom - home.top));
    *normal = {home.left, home.top, home.left + width, home.top + height};
}
