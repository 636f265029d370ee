// Paths and directories of the tests.
#ifndef AUTORUN_TESTS_PATHS_H
#define AUTORUN_TESTS_PATHS_H

#include <string>

// The launcher under test, as a Windows path.
std::string LauncherPath();

// A Unix path as Wine sees it (on drive Z:).
std::string WindowsPath(const std::string& unixPath);

// A fresh empty directory below %TEMP%, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Writes a file of the given bytes below the directory; returns its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

private:
    std::string m_path;
};

// Sets this process's current directory for the scope, then restores it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string m_saved;
};

// Whether two paths name the same place, letter case aside.
bool SamePath(const std::string& a, const std::string& b);

// A name no other test or test process uses, for keys, classes and files.
std::string UniqueName(const char* prefix);

#endif
