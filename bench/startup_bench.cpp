// startup_bench: the time from a program's creation to the caption its
// dialog sets at the first paint, what a user waits for after inserting the
// disc: the launcher, with a 640 x 480 8-bit picture, against the floor (the
// same template and nothing else, built the same way) and against the floor
// that also makes the picture its bitmap. Contenders run interleaved; the
// table gives their medians and ratios. A benchmark, not a test; `make bench`
// runs it under Wine.
//
//   startup_bench [--rounds N] [OTHER.exe ...]   (default 30; at least 30 are wanted)
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bmp.h"
#include "driver.h"

static double Now()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return (double)t.QuadPart * 1000.0 / f.QuadPart;
}

// The window of class SPLASH_SCREEN of process `pid` whose caption is no
// longer the template's ("Talvik"): the dialog has that one from its creation,
// so only the caption set at the first paint marks the end.
static HWND Captioned(DWORD pid)
{
    HWND hwnd = Find(pid, SPLASH_SCREEN_NAME);
    return hwnd && Text(hwnd) != "Talvik" ? hwnd : NULL;
}

// Milliseconds from creating `exe` in `dir` to the caption of its first paint
// (the launcher's given by -C, the floor's its own); -1 when none
// comes within 30 s. The program is closed with its Cancel button after.
static double StartUp(const std::string& exe, const std::string& dir)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string line = "\"" + exe + "\" -Anone.exe -CPainted";
    double start = Now(), took = -1;
    if (!CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi))
        return -1;
    HWND hwnd = NULL;
    while (!(hwnd = Captioned(pi.dwProcessId)) && Now() - start < 30000)
        SwitchToThread();
    if (hwnd) {
        took = Now() - start;
        PostMessageA(hwnd, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return took;
}

static double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

static long Size(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? (long)data.nFileSizeLow : -1;
}

int main(int argc, char** argv)
{
    int first = argc >= 3 && !strcmp(argv[1], "--rounds") ? 3 : 1;
    int rounds = first == 3 ? atoi(argv[2]) : 30;
    if (rounds < 1 || (argc > 1 && argv[1][0] == '-' && first == 1)) {
        fprintf(stderr, "usage: startup_bench [--rounds N] [OTHER.exe ...]\n");
        return 2;
    }
    char temp[MAX_PATH], self[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string dir = std::string(temp) + "startup_bench", here(self);
    here.erase(here.find_last_of('\\') + 1);
    CreateDirectoryA(dir.c_str(), NULL);
    WriteFile(dir + "\\splash.bmp", Bmp(8, 640, 480).Bytes());
    // The launcher, the floor and the floor that also makes the picture its
    // bitmap, then any other build to hold beside them
    // (an earlier launcher, say), all taking their turns in every round.
    std::vector<std::string> exes = {AUTORUN_EXE, here + "floor.exe", here + "floor_picture.exe"};
    std::vector<std::string> names = {"launcher", "floor", "floor+picture"};
    for (int i = first; i < argc; i++) {
        exes.push_back(argv[i]);
        names.push_back(exes.back().substr(exes.back().find_last_of("\\/") + 1));
    }
    const size_t n = exes.size();
    std::vector<std::vector<double>> samples(n);
    for (auto& exe : exes)
        StartUp(exe, dir);  // once first, so that none meets a cold cache
    for (int r = 0; r < rounds; r++)
        for (size_t k = 0; k < n; k++) {
            size_t which = (k + r) % n;
            double ms = StartUp(exes[which], dir);
            if (ms < 0) {
                fprintf(stderr, "startup_bench: %s showed no caption\n", names[which].c_str());
                return 1;
            }
            samples[which].push_back(ms);
        }
    DeleteFileA((dir + "\\splash.bmp").c_str());
    RemoveDirectoryA(dir.c_str());
    printf(
        "startup_bench: creation to the caption of the first paint, %d rounds interleaved, "
        "640 x 480 8-bit picture\n  %-20s %9s %7s %15s %7s\n",
        rounds, "", "median ms", "/floor", "/floor+picture", "bytes");
    for (size_t k = 0; k < n; k++)
        printf("  %-20s %9.1f %7.3f %15.3f %7ld\n", names[k].c_str(), Median(samples[k]),
               Median(samples[k]) / Median(samples[1]), Median(samples[k]) / Median(samples[2]), Size(exes[k]));
    return 0;
}
