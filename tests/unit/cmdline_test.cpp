// Finding a switch in the command-line tail and taking its value.
#include "util/util.h"
#include "support/cases.h"

#include <cstring>
#include <string>

struct SwitchCase {
    const char* name;
    const char* line;
    const char* token;
    const char* value;
};
PRINT_CASE_AS_NAME(SwitchCase)

static const SwitchCase kSwitchCases[] = {
    {"first of two", "-Agame.exe -Isetup.exe", "-A", "game.exe"},
    {"second of two", "-Agame.exe -Isetup.exe", "-I", "setup.exe"},
    {"blank after switch", "-A game.exe", "-A", ""},
    {"parenthesised with blank", "-C(My Game) -Ssplash.bmp", "-C", "My Game"},
    {"after parenthesised", "-C(My Game) -Ssplash.bmp", "-S", "splash.bmp"},
    {"empty parentheses", "-C()", "-C", ""},
    {"unclosed parenthesis", "-C(My Game -Ssplash.bmp", "-C", "My Game -Ssplash.bmp"},
    {"inside unclosed parenthesis", "-C(My Game -Ssplash.bmp", "-S", "splash.bmp"},
    {"text after closing parenthesis", "-C(a)b", "-C", "a"},
    {"parenthesis not first", "-Sa(b).bmp", "-S", "a(b).bmp"},
    {"quote is ordinary", "-S\"my pic.bmp\"", "-S", "\"my"},
    {"first occurrence inside another value", "-Ssky-Agame.bmp -Agame.exe", "-A", "game.bmp"},
    {"switch given twice", "-Afirst.exe -Asecond.exe", "-A", "first.exe"},
    {"case sensitive", "-agame.exe", "-A", ""},
    {"switch at end of line", "-Ix -A", "-A", ""},
    {"tab does not end a value", "-Agame.exe\t-Isetup.exe", "-A", "game.exe\t-Isetup.exe"},
    {"absent switch", "-Agame.exe", "-P", ""},
    {"empty line", "", "-A", ""},
    {"inside a word", "x-Ay", "-A", "y"},
    {"parenthesis after blank is a value", "-C (x)", "-C", ""},
};

class Switch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(Switch, GivesItsValue)
{
    const SwitchCase& c = GetParam();
    std::string line = c.line;
    char value[1024];
    memset(value, 0xdd, sizeof value);

    ParseCommandLine(line.c_str(), value, sizeof value, c.token);

    EXPECT_STREQ(c.value, value) << "line [" << c.line << "] switch " << c.token;
    EXPECT_EQ(c.line, line) << "the caller's line changed";
}

INSTANTIATE_TEST_SUITE_P(Lines, Switch, ::testing::ValuesIn(kSwitchCases), CaseName());

TEST(Switch, FillsTheRestOfTheBufferWithTerminators)
{
    char value[16];
    memset(value, 0xdd, sizeof value);
    ParseCommandLine("-Aabc", value, sizeof value, "-A");
    EXPECT_STREQ("abc", value);
    for (size_t i = 3; i < sizeof value; i++)
        EXPECT_EQ(0, value[i]) << "byte " << i;
}

TEST(Switch, AbsentLeavesAllButTheFirstByte)
{
    char value[8];
    memset(value, 0xdd, sizeof value);
    ParseCommandLine("-Aabc", value, sizeof value, "-P");
    EXPECT_EQ(0, value[0]);
    for (size_t i = 1; i < sizeof value; i++)
        EXPECT_EQ((char)0xdd, value[i]) << "byte " << i;
}

struct LengthCase {
    const char* name;
    size_t valueLength;
    size_t expected;
};
PRINT_CASE_AS_NAME(LengthCase)

static const LengthCase kLengthCases[] = {
    {"1022 fits", 1022, 1022},
    {"1023 fits whole", 1023, 1023},
    {"1024 cut to 1023", 1024, 1023},
    {"5000 cut to 1023", 5000, 1023},
};

class SwitchLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(SwitchLength, IsBoundedByTheBuffer)
{
    const LengthCase& c = GetParam();
    std::string value(c.valueLength, 'v');
    value[0] = 'f';
    value[c.valueLength - 1] = 'l';
    std::string line = "-Sx -A" + value + " -Iy";
    // A guard zone after the 1024 bytes catches a write past the buffer.
    char buffer[1024 + 64];
    memset(buffer, 0xdd, sizeof buffer);

    ParseCommandLine(line.c_str(), buffer, 1024, "-A");

    EXPECT_EQ(c.expected, strlen(buffer));
    EXPECT_EQ(0, value.compare(0, c.expected, buffer));
    for (size_t i = 1024; i < sizeof buffer; i++)
        ASSERT_EQ((char)0xdd, buffer[i]) << "written past the buffer at " << i;
}

INSTANTIATE_TEST_SUITE_P(Values, SwitchLength, ::testing::ValuesIn(kLengthCases), CaseName());
