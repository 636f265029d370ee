// The picture's place in the dialog's frame: the rule the launcher lays its
// picture out by, and the checker reports by.
#ifndef AUTORUN_LAYOUT_H
#define AUTORUN_LAYOUT_H

#include <windows.h>

// The frame's border as the platform draws it: one pixel for WS_BORDER, two
// when a 3D-look dialog turns it into a client edge.
static inline void GetBorder(HWND hFrame, RECT* prBorder)
{
    RECT rWindow, rClient;
    POINT ptOrigin = {0, 0};

    GetWindowRect(hFrame, &rWindow);
    GetClientRect(hFrame, &rClient);
    ClientToScreen(hFrame, &ptOrigin);
    prBorder->left = ptOrigin.x - rWindow.left;
    prBorder->top = ptOrigin.y - rWindow.top;
    prBorder->right = rWindow.right - ptOrigin.x - rClient.right;
    prBorder->bottom = rWindow.bottom - ptOrigin.y - rClient.bottom;
}

// The inside of the frame, in screen coordinates, and its border.
static inline void GetInterior(HWND hFrame, RECT* prInterior, RECT* prBorder)
{
    GetWindowRect(hFrame, prInterior);
    GetBorder(hFrame, prBorder);
    prInterior->left += prBorder->left;
    prInterior->top += prBorder->top;
    prInterior->right -= prBorder->right;
    prInterior->bottom -= prBorder->bottom;
}

// One dimension of the layout: a picture smaller than the interior is centred
// with its own extent; a larger one starts at 0 and is cut to the interior.
// The test is on the halved difference, so one pixel more still fits whole.
static inline void FitPicture(LONG iInterior, LONG iPicture, LONG* piOffset, LONG* piExtent)
{
    *piOffset = (iInterior - iPicture) / 2;
    if (*piOffset < 0) {
        *piOffset = 0;
        *piExtent = iInterior;
    } else {
        *piExtent = iPicture;
    }
}

#endif
