// The CubeCtlClass control: one cube as 54 coloured squares. Its public side: the class, its
// messages and its notifications; everything else is the view's own (cubeViewPrivate.h).
#pragma once

#include <windows.h>

#include <cstdint>

#define CCM_GETCOLORS (WM_USER + 500)
#define CCM_SETCOLORS (WM_USER + 501)
#define CCM_GETSTATE  (WM_USER + 502)
#define CCM_SETSTATE  (WM_USER + 503)

// Sent as WM_NOTIFY to the top-level window that holds the view, like a common control's
// notifications: a side turned by a drag (NMCUBETURN); a cubelet about to be edited with Ctrl
// (NMHDR), which goes ahead whatever the answer; and, after any edit the user made in the view
// with the mouse or its menu, the edit done (NMHDR).
#define CVN_SIDETURNED (0U - 1500U)
#define CVN_EDITING    (0U - 1501U)
#define CVN_CHANGED    (0U - 1502U)

// A drag turned a side: the move's code, done twice for a half turn.
struct NMCUBETURN {
    NMHDR header;
    uint8_t code;
    bool halfTurn;
};

extern const char CubeViewClassName[];
ATOM registerCubeViewClass(HINSTANCE instance);
HWND createCubeView(HWND parent, HINSTANCE instance, const RECT* rect);
