// Plays a disc as its user first meets it: starts the launcher with the
// switches its autorun.inf gives, in the disc's folder, waits until the
// dialog has painted itself, and says what it shows. Given a file, it then
// saves the screen there (3 bytes a pixel, rows from the top) and presses
// Cancel, as a run without a user must; otherwise the user closes it.
// With --story it plays the demo disc's whole story instead, saying each
// step and saving the screen after it as SHOTS\<step>.rgb.
//
//   play_demo LAUNCHER DISC_FOLDER SWITCHES [SCREEN.rgb]
//   play_demo --story LAUNCHER DISC_FOLDER SWITCHES SHOTS
#include "authoring/common/toolio.h"
#include "story.h"

#include <stdio.h>

static int PlayStory(const std::vector<std::string>& argv)
{
    int failures = 0;
    for (const StoryStep& step : DemoStory(argv[0], argv[1], argv[2])) {
        printf("play_demo: %s: %s ... ", step.name, step.says);
        fflush(stdout);
        std::string failed = step.play();
        printf("%s\n", failed.empty() ? "yes" : ("NO: " + failed).c_str());
        failures += !failed.empty();
        WriteFile(argv[3] + "\\" + step.name + ".rgb", Screenshot());
    }
    return failures ? 1 : 0;
}

int main()
{
    // The arguments in UTF-8, whatever this program's code page.
    int argc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> argv;
    for (int i = 0; i < argc; i++)
        argv.push_back(Narrow(CP_UTF8, wargv[i]));
    LocalFree(wargv);
    if (argc == 6 && argv[1] == "--story")
        return PlayStory(std::vector<std::string>(argv.begin() + 2, argv.end()));
    if (argc != 4 && argc != 5) {
        fprintf(stderr,
                "usage: play_demo LAUNCHER DISC_FOLDER SWITCHES [SCREEN.rgb]\n"
                "       play_demo --story LAUNCHER DISC_FOLDER SWITCHES SHOTS\n");
        return 2;
    }
    Launcher launcher(argv[1], argv[3], argv[2]);
    HWND hwnd = launcher.Window();
    for (const std::string& box : launcher.boxes)
        printf("play_demo: a box came first and was answered: %s\n", box.c_str());
    if (!hwnd) {
        printf("play_demo: %s\n", launcher.NoDialog().c_str());
        return 1;
    }
    // The caption comes with the first paint; the controls paint after it.
    const int ids[] = {IDC_FIRST_BUTTON, IDC_CANCEL_BUTTON, IDC_PICTURE_FRAME, IDC_NOTICE};
    bool painted = WaitFor([&] {
        bool clean = !Text(hwnd).empty() && !GetUpdateRect(hwnd, NULL, FALSE);
        for (int id : ids)
            clean = clean && !GetUpdateRect(GetDlgItem(hwnd, id), NULL, FALSE);
        return clean;
    });
    auto said = [](HWND h) { return "\"" + Text(h) + "\""; };
    Print(stdout, "play_demo: the dialog " + said(hwnd) + " shows the buttons " +
                      said(GetDlgItem(hwnd, IDC_FIRST_BUTTON)) + " and " + said(GetDlgItem(hwnd, IDC_CANCEL_BUTTON)) +
                      " and " + said(GetDlgItem(hwnd, IDC_NOTICE)) +
                      (painted ? "\n" : " (not yet painted after 10 s)\n"));
    if (argc == 4) {
        WaitForSingleObject(launcher.pi.hProcess, INFINITE);
        return 0;
    }
    std::string screen = Screenshot();
    WriteFile(argv[4], screen);
    std::string failed = Click(GetDlgItem(hwnd, IDC_CANCEL_BUTTON));
    DWORD code = launcher.Exit();
    if (screen.empty() || !failed.empty() || code) {
        printf("play_demo: %s%s; the launcher's exit code is %lu\n", screen.empty() ? "no screenshot came; " : "",
               failed.c_str(), code);
        return 1;
    }
    return 0;
}
