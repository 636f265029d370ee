// The recording child program of the launch tests.
#ifndef AUTORUN_TESTS_CHILD_H
#define AUTORUN_TESTS_CHILD_H

#include <windows.h>

#include <string>

// Copies the child program to `path` (e.g. D:\setup.exe); removes the copy
// and its record again at the end.
class InstalledChild {
public:
    explicit InstalledChild(const std::string& path);
    ~InstalledChild();
    InstalledChild(const InstalledChild&) = delete;
    InstalledChild& operator=(const InstalledChild&) = delete;

    const std::string& Path() const { return m_path; }
    // Waits until the copy has run; false if it did not within `ms`.
    bool WaitForRun(DWORD ms = 10000);
    // Whether it ran at all, looked at once.
    bool HasRun() const;
    // What it recorded: its command line and current directory.
    const std::string& CommandLine() const { return m_commandLine; }
    const std::string& CurrentDir() const { return m_currentDir; }

private:
    std::string m_path;
    std::string m_commandLine;
    std::string m_currentDir;
};

#endif
