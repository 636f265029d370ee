// Throw-away registry keys below HKEY_LOCAL_MACHINE, in the view of the
// running test program (the 32-bit view for i686, the 64-bit one for x86_64),
// which is the view the launcher of the same target reads.
#ifndef AUTORUN_TESTS_REGKEY_H
#define AUTORUN_TESTS_REGKEY_H

#include <windows.h>

#include <string>

extern const char kAppPathsKey[];

class TestKey {
public:
    // Creates HKLM\<subKey>; the key and everything below it is deleted again.
    explicit TestKey(const std::string& subKey);
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    const std::string& SubKey() const { return m_subKey; }
    // Stores `data` exactly as given (no terminator is added) with `type`;
    // a null name is the unnamed value.
    void SetRaw(const char* name, const std::string& data, DWORD type = REG_SZ);
    // Stores a string with its terminator.
    void SetString(const char* name, const std::string& text, DWORD type = REG_SZ);

private:
    std::string m_subKey;
    HKEY m_hKey = NULL;
};

// An App Paths entry for a made-up executable name, e.g. "autorun-test-12-0.exe".
class AppPathsKey : public TestKey {
public:
    AppPathsKey();
    explicit AppPathsKey(const std::string& exeName);
    const std::string& ExeName() const { return m_exeName; }

private:
    std::string m_exeName;
};

// A fresh application name whose App Paths key does not exist.
std::string UnregisteredAppName();

#endif
