// The picture's place in the dialog's frame.
#include "util.h"

void GetBorder(HWND hFrame, RECT* prBorder)
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

void GetInterior(HWND hFrame, RECT* prInterior, RECT* prBorder)
{
    GetWindowRect(hFrame, prInterior);
    GetBorder(hFrame, prBorder);
    prInterior->left += prBorder->left;
    prInterior->top += prBorder->top;
    prInterior->right -= prBorder->right;
    prInterior->bottom -= prBorder->bottom;
}

void FitPicture(LONG iInterior, LONG iPicture, LONG* piOffset, LONG* piExtent)
{
    *piOffset = (iInterior - iPicture) / 2;
    if (*piOffset < 0) {
        *piOffset = 0;
        *piExtent = iInterior;
    } else {
        *piExtent = iPicture;
    }
}
