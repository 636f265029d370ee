#include "support/child.h"

#include "support/desktop.h"
#include "support/paths.h"

#include <gtest/gtest.h>

#include <fstream>

InstalledChild::InstalledChild(const std::string& path) : m_path(path)
{
    EXPECT_TRUE(CopyFileA(WindowsPath(CHILD_EXE).c_str(), m_path.c_str(), FALSE))
        << "cannot copy the child program to " << m_path;
    DeleteFileA((m_path + ".run").c_str());
}

InstalledChild::~InstalledChild()
{
    // The copy may still be running for a moment after it wrote its record.
    WaitUntil([&] { return DeleteFileA(m_path.c_str()) || !HasRun(); }, 5000);
    DeleteFileA((m_path + ".run").c_str());
}

bool InstalledChild::HasRun() const
{
    return GetFileAttributesA((m_path + ".run").c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool InstalledChild::WaitForRun(DWORD ms)
{
    if (!WaitUntil([&] { return HasRun(); }, ms))
        return false;
    std::ifstream in(m_path + ".run", std::ios::binary);
    std::getline(in, m_commandLine);
    std::getline(in, m_currentDir);
    return true;
}
