#include "e2e/snapshot.h"

#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

void AddRegistry(Snapshot& into, HKEY root, const std::string& subKey)
{
    HKEY hKey;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    into.insert(subKey);

    char name[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof name, dataSize = (DWORD)data.size(), type = 0;
        LONG rc = RegEnumValueA(hKey, i, name, &nameSize, NULL, &type, data.data(), &dataSize);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
            break;
        std::string line = subKey + " [" + name + "] " + std::to_string(type) + " ";
        if (rc == ERROR_SUCCESS)
            line.append((const char*)data.data(), dataSize);
        else
            line += "(size " + std::to_string(dataSize) + ")";
        into.insert(line);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(hKey, i, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(hKey);
    for (const std::string& child : children)
        AddRegistry(into, root, subKey.empty() ? child : subKey + "\\" + child);
}

void AddFiles(Snapshot& into, const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> subdirs;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        char line[MAX_PATH + 100];
        snprintf(line, sizeof line, "%s\\%s %lu:%lu %lu:%lu %lx", dir.c_str(), name.c_str(),
                 fd.nFileSizeHigh, fd.nFileSizeLow, fd.ftLastWriteTime.dwHighDateTime,
                 fd.ftLastWriteTime.dwLowDateTime, fd.dwFileAttributes);
        into.insert(line);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            subdirs.push_back(dir + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    for (const std::string& sub : subdirs)
        AddFiles(into, sub);
}

std::string Difference(const Snapshot& before, const Snapshot& after)
{
    std::string diff;
    for (const std::string& line : after)
        if (!before.count(line))
            diff += "+ " + line.substr(0, 200) + "\n";
    for (const std::string& line : before)
        if (!after.count(line))
            diff += "- " + line.substr(0, 200) + "\n";
    return diff;
}

RegistryWatch::RegistryWatch()
{
    static const struct {
        const char* name;
        HKEY root;
        REGSAM view;
    } kTrees[] = {
        {"HKEY_LOCAL_MACHINE (64-bit view)", HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
        {"HKEY_LOCAL_MACHINE (32-bit view)", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER, 0},
        {"HKEY_USERS", HKEY_USERS, 0},
    };
    for (const auto& tree : kTrees) {
        Watch w = {tree.name, NULL, CreateEventA(NULL, TRUE, FALSE, NULL)};
        if (RegOpenKeyExA(tree.root, NULL, 0, KEY_NOTIFY | tree.view, &w.hKey) == ERROR_SUCCESS
            && RegNotifyChangeKeyValue(w.hKey, TRUE,
                                       REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                       w.hEvent, TRUE) == ERROR_SUCCESS)
            m_watches.push_back(w);
        else
            ADD_FAILURE() << "cannot watch " << tree.name;
    }
}

RegistryWatch::~RegistryWatch()
{
    for (const Watch& w : m_watches) {
        RegCloseKey(w.hKey);
        CloseHandle(w.hEvent);
    }
}

std::string RegistryWatch::Changed() const
{
    std::string changed;
    for (const Watch& w : m_watches)
        if (WaitForSingleObject(w.hEvent, 0) == WAIT_OBJECT_0)
            changed += std::string(changed.empty() ? "" : ", ") + w.name;
    return changed;
}
