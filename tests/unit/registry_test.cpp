// Reading values from the real registry below HKEY_LOCAL_MACHINE.
#include "util/util.h"
#include "support/cases.h"
#include "support/handles.h"
#include "support/paths.h"
#include "support/regkey.h"

#include <cstring>
#include <string>

static const char kPoison = (char)0xdd;

enum class Key { Absent, Empty, WithValue };

struct ValueCase {
    const char* name;
    Key key;
    const char* valueName;  // null: the unnamed value
    std::string data;       // stored exactly as given
    DWORD type;
    unsigned bufferSize;
    int result;
    const char* read;       // what the buffer holds as a string; null: untouched
};
PRINT_CASE_AS_NAME(ValueCase)

static std::string Text(size_t n) { return std::string(n, 'x'); }
static std::string WithTerminator(const std::string& s) { return s + '\0'; }

static const std::string k1022 = Text(1022);
static const std::string k1023 = Text(1023);

static const ValueCase kValueCases[] = {
    {"no key", Key::Absent, nullptr, "", REG_SZ, 1024, 1, nullptr},
    {"no unnamed value", Key::Empty, nullptr, "", REG_SZ, 1024, 1, nullptr},
    {"no named value", Key::Empty, "Path", "", REG_SZ, 1024, 1, nullptr},
    {"empty string", Key::WithValue, nullptr, WithTerminator(""), REG_SZ, 1024, 1, ""},
    {"string", Key::WithValue, nullptr, WithTerminator("C:\\Games\\game.exe"), REG_SZ, 1024, 18,
     "C:\\Games\\game.exe"},
    {"named value", Key::WithValue, "Path", WithTerminator("C:\\Games"), REG_SZ, 1024, 9,
     "C:\\Games"},
    {"1022 characters are read", Key::WithValue, nullptr, WithTerminator(k1022), REG_SZ, 1024,
     1023, k1022.c_str()},
    {"1023 characters are not", Key::WithValue, nullptr, WithTerminator(k1023), REG_SZ, 1024,
     1024, nullptr},
    {"without terminator", Key::WithValue, nullptr, "abc", REG_SZ, 1024, 3, "abc"},
    {"1023 without terminator", Key::WithValue, nullptr, k1023, REG_SZ, 1024, 1023,
     k1023.c_str()},
    {"expandable string unexpanded", Key::WithValue, nullptr,
     WithTerminator("%SystemRoot%\\game.exe"), REG_EXPAND_SZ, 1024, 22, "%SystemRoot%\\game.exe"},
    {"no data at all", Key::WithValue, nullptr, "", REG_BINARY, 1024, 0, nullptr},
    {"fits a small buffer", Key::WithValue, nullptr, WithTerminator("ab"), REG_SZ, 4, 3, "ab"},
    {"too large for a small buffer", Key::WithValue, nullptr, WithTerminator("abc"), REG_SZ, 4,
     4, nullptr},
};

class RegistryValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValue, ReadsAsStored)
{
    const ValueCase& c = GetParam();
    std::string subKey = kAppPathsKey + UnregisteredAppName();
    char buffer[1100];
    memset(buffer, kPoison, sizeof buffer);
    int result;
    {
        std::unique_ptr<TestKey> key;
        if (c.key != Key::Absent)
            key.reset(new TestKey(subKey));
        if (c.key == Key::WithValue)
            key->SetRaw(c.valueName, c.data, c.type);
        result = GetRegistryValueData(HKEY_LOCAL_MACHINE, subKey.c_str(), c.valueName, buffer,
                                      c.bufferSize);
    }

    EXPECT_EQ(c.result, result);
    size_t untouchedFrom = 0;
    if (c.read) {
        EXPECT_STREQ(c.read, buffer);
        untouchedFrom = strlen(c.read) + 1;
    }
    for (size_t i = untouchedFrom; i < sizeof buffer; i++)
        ASSERT_EQ(kPoison, buffer[i]) << "byte " << i << " was written";
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryValue, ::testing::ValuesIn(kValueCases), CaseName());

TEST(RegistryKey, OpensAnExistingKeyWithoutValues)
{
    std::string subKey = kAppPathsKey + UnregisteredAppName();
    EXPECT_EQ(0, OpenRegistryKey(HKEY_LOCAL_MACHINE, subKey.c_str()));
    TestKey key(subKey);
    EXPECT_EQ(1, OpenRegistryKey(HKEY_LOCAL_MACHINE, subKey.c_str()));
}

// Each call closes the key it opened.
TEST(RegistryKey, ClosesWhatItOpens)
{
    AppPathsKey key;
    key.SetString(nullptr, "C:\\game.exe");
    char buffer[1024];
    int before = OpenHandleCount();
    GetRegistryValueData(HKEY_LOCAL_MACHINE, key.SubKey().c_str(), nullptr, buffer, sizeof buffer);
    EXPECT_EQ(before, OpenHandleCount()) << "GetRegistryValueData";
    OpenRegistryKey(HKEY_LOCAL_MACHINE, key.SubKey().c_str());
    EXPECT_EQ(before, OpenHandleCount()) << "OpenRegistryKey";
}
