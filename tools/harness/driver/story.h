// The demo disc's story as its user meets it, step by step: what make demo
// plays and the tests check. The launcher runs from the root of a CD-ROM
// drive holding the disc, with the switches of the disc's autorun.inf; the
// installer is the demo's real one, run silently.
#ifndef AUTORUN_TOOLS_STORY_H
#define AUTORUN_TOOLS_STORY_H
#include "driver.h"

#include <memory>

struct StoryStep {
    const char* name;  // of its screenshot
    const char* says;
    // "" when the step went as it says, else what happened instead.
    std::function<std::string()> play;
};

inline bool HasKey(const char* szKey)
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, KEY_READ, &hKey))
        return false;
    RegCloseKey(hKey);
    return true;
}

inline std::vector<StoryStep> DemoStory(const std::string& launcher, const std::string& disc,
                                        const std::string& switches)
{
    static const char szAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\talvik-demo.exe";
    static const char szUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TalvikDemoGame";
    auto running = std::make_shared<std::unique_ptr<Launcher>>();
    // Starts the launcher with `extra` switches before the disc's (the first
    // of a switch counts) and expects its dialog with `first` on its first
    // button, or no dialog when `first` is null.
    auto start = [=](const std::string& extra, const char* first) -> std::string {
        running->reset(new Launcher(launcher, extra + switches, disc));
        HWND hwnd = (*running)->Window();
        if (!first) {
            DWORD code = (*running)->Exit();
            return hwnd ? "the dialog came" : code ? "the launcher ended with " + std::to_string(code) : "";
        }
        if (!hwnd)
            return "no dialog came";
        WaitFor([&] { return !Text(hwnd).empty(); });
        std::string label = Text(GetDlgItem(hwnd, IDC_FIRST_BUTTON));
        return label == first ? "" : "the first button reads \"" + label + "\"";
    };
    auto press = [=](int id) -> std::string {
        HWND hwnd = Find((*running)->pi.dwProcessId, SPLASH_SCREEN_NAME);
        std::string failed = hwnd ? Click(GetDlgItem(hwnd, id)) : "no dialog";
        DWORD code = (*running)->Exit(120000);
        for (const std::string& box : (*running)->boxes)
            failed += "a box said \"" + box + "\" ";
        return !failed.empty() ? failed : code ? "the launcher ended with " + std::to_string(code) : "";
    };
    auto game = [] { return FindWindowA("TalvikDemoGame", NULL); };
    auto uninstall = []() -> std::string {
        char szCommand[MAX_PATH + 8];
        DWORD dwSize = MAX_PATH;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, szUninstall, "UninstallString", RRF_RT_REG_SZ, NULL, szCommand, &dwSize))
            return std::string("no uninstall entry");
        strcat(szCommand, " /S");
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(NULL, szCommand, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
            return std::string("the uninstaller did not start");
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return WaitFor([] { return !HasKey(szAppPaths); }, 120000) ? "" : "the game is still registered";
    };
    // The silent installer and uninstaller: the first -I counts.
    const std::string silent = "-I(setup.exe /S) ";
    return {
        // A run stopped half-way may have left the game installed.
        {"1-install", "the first run shows \"&Install\"",
         [=] {
             std::string failed = HasKey(szAppPaths) ? uninstall() : "";
             return failed.empty() ? start(silent, "&Install") : "left installed: " + failed;
         }},
        {"2-installed", "pressing it runs the installer, which registers the game",
         [=] {
             std::string failed = press(IDC_FIRST_BUTTON);
             return !failed.empty()                                      ? failed
                    : WaitFor([] { return HasKey(szAppPaths); }, 120000) ? ""
                                                                         : "the game was not registered";
         }},
        {"3-play", "the next run shows \"&Play\"", [=] { return start(silent, "&Play"); }},
        {"4-game", "pressing it starts the game",
         [=] {
             std::string failed = press(IDC_FIRST_BUTTON);
             return !failed.empty()                                              ? failed
                    : WaitFor([=] { return game() && IsWindowVisible(game()); }) ? ""
                                                                                 : "no game window came";
         }},
        {"5-game-runs", "while the game runs, the launcher (-PTalvikDemoGame) does not appear",
         [=] { return start(silent, NULL); }},
        {"6-installed", "with -D, once the game is installed, the launcher does not appear",
         [=] {
             PostMessageA(game(), WM_CLOSE, 0, 0);
             if (!WaitFor([=] { return !game(); }))
                 return std::string("the game did not close");
             return start("-Dx " + silent, NULL);
         }},
        {"7-uninstalled", "the uninstaller removes the game", uninstall},
        {"8-install-again", "the next run shows \"&Install\" again", [=] { return start(silent, "&Install"); }},
        {"9-cancelled", "\"Cancel\" closes it", [=] { return press(IDC_CANCEL_BUTTON); }},
    };
}
#endif
