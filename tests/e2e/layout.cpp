#include "e2e/layout.h"

#include "e2e/driver.h"
#include "support/paths.h"

#include <gtest/gtest.h>

#include <vector>

static TemplateLayout Measure()
{
    TemplateLayout layout = {};
    HMODULE exe = LoadLibraryExA(LauncherPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC res = exe ? FindResourceA(exe, kSplashClass, (LPCSTR)RT_DIALOG) : NULL;
    EXPECT_TRUE(res) << "the launcher has no dialog template " << kSplashClass;
    if (!res)
        return layout;
    const BYTE* bytes = (const BYTE*)LockResource(LoadResource(exe, res));
    std::vector<BYTE> copy(bytes, bytes + SizeofResource(exe, res));
    FreeLibrary(exe);
    // Hidden, so that it never shows on the screen the tests look at.
    ((DLGTEMPLATE*)copy.data())->style &= ~WS_VISIBLE;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = kSplashClass;
    RegisterClassA(&wc);
    HWND dlg = CreateDialogIndirectParamA(wc.hInstance, (DLGTEMPLATE*)copy.data(), NULL, NULL, 0);
    EXPECT_TRUE(dlg) << "the template does not make a dialog";
    if (dlg) {
        RECT r;
        GetWindowRect(dlg, &r);
        layout.window = {r.right - r.left, r.bottom - r.top};
        layout.button = ChildRect(GetDlgItem(dlg, 42));
        layout.cancel = ChildRect(GetDlgItem(dlg, 43));
        layout.notice = ChildRect(GetDlgItem(dlg, 0xFFFF));
        layout.frame = ChildRect(GetDlgItem(dlg, 45));
        DestroyWindow(dlg);
    }
    UnregisterClassA(kSplashClass, wc.hInstance);
    return layout;
}

const TemplateLayout& Reference()
{
    static const TemplateLayout layout = Measure();
    return layout;
}
