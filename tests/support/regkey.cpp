#include "support/regkey.h"

#include "support/paths.h"

#include <gtest/gtest.h>

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

TestKey::TestKey(const std::string& subKey) : m_subKey(subKey)
{
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_subKey.c_str(), 0, NULL, 0,
                              KEY_ALL_ACCESS, NULL, &m_hKey, NULL);
    EXPECT_EQ(ERROR_SUCCESS, rc) << "creating HKLM\\" << m_subKey;
}

TestKey::~TestKey()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_subKey.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_subKey.c_str());
}

void TestKey::SetRaw(const char* name, const std::string& data, DWORD type)
{
    // The platform counts a string's terminator in when the caller seems to
    // have forgotten it (the byte after the data is zero); a non-zero byte
    // there keeps the data exactly as given.
    std::string bytes = data + 'X';
    LONG rc = RegSetValueExA(m_hKey, name, 0, type, (const BYTE*)bytes.data(), (DWORD)data.size());
    EXPECT_EQ(ERROR_SUCCESS, rc) << "setting a value of HKLM\\" << m_subKey;
}

void TestKey::SetString(const char* name, const std::string& text, DWORD type)
{
    SetRaw(name, std::string(text.c_str(), text.size() + 1), type);
}

std::string UnregisteredAppName()
{
    return UniqueName("autorun-test") + ".exe";
}

AppPathsKey::AppPathsKey() : AppPathsKey(UnregisteredAppName()) {}

AppPathsKey::AppPathsKey(const std::string& exeName)
    : TestKey(kAppPathsKey + exeName), m_exeName(exeName)
{
}
