#pragma once

// The input vocabulary the shell hands to views, tools and plug-in controls: mouse button and
// modifier flags, virtual key codes and key-message flags, with their desktop values. The Qt
// shell translates its events into these; nothing below it sees a Qt event.
#include "platform/os/win_types.h"

// Mouse message flags: buttons held and modifiers down.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;

// Virtual key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_F1 = 0x70;

// Flags of a key message (the high word of its key data).
constexpr UINT KF_MENUMODE = 0x1000;
constexpr UINT KF_ALTDOWN = 0x2000;
constexpr UINT KF_REPEAT = 0x4000; // the key was already down: an auto-repeat
constexpr UINT KF_UP = 0x8000;
