#include "support/paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string LauncherPath()
{
    return WindowsPath(AUTORUN_EXE);
}

std::string UniqueName(const char* prefix)
{
    static std::atomic<unsigned> counter{0};
    char name[128];
    snprintf(name, sizeof name, "%s-%lu-%u", prefix, GetCurrentProcessId(), counter++);
    return name;
}

TempDir::TempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    m_path = std::string(temp) + UniqueName("autorun-test");
    CreateDirectoryA(m_path.c_str(), NULL);
}

static void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const
{
    std::string path = m_path + "\\" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

CurrentDirectory::CurrentDirectory(const std::string& dir)
{
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    m_saved = saved;
    if (!SetCurrentDirectoryA(dir.c_str()))
        ADD_FAILURE() << "cannot change to " << dir;
}

CurrentDirectory::~CurrentDirectory()
{
    SetCurrentDirectoryA(m_saved.c_str());
}

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}
