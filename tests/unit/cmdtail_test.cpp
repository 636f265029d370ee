// The command-line tail that the process start-up hands to WinMain.
#include "runtime/runtime.h"
#include "support/cases.h"

#include <cstring>

struct TailCase {
    const char* name;
    const char* line;
    const char* tail;
};
PRINT_CASE_AS_NAME(TailCase)

static const TailCase kTailCases[] = {
    {"plain name", "autorun.exe -Agame.exe", "-Agame.exe"},
    {"name only", "autorun.exe", ""},
    {"empty line", "", ""},
    {"leading blanks and tabs", " \t autorun.exe -Ax", "-Ax"},
    {"quoted name with blank", "\"D:\\my disc\\autorun.exe\" -C(A B)", "-C(A B)"},
    {"quote directly followed by tail", "\"autorun.exe\"-Ax", "-Ax"},
    {"unclosed quote takes the rest", "\"D:\\my disc\\autorun.exe -Ax", ""},
    {"tab ends an unquoted name", "autorun.exe\t-Ax", "-Ax"},
    {"tab ends a quoted name", "\"autorun\t.exe\" -Ax", ".exe\" -Ax"},
    {"blanks and tabs after the name", "autorun.exe \t \t-Ax -Iy", "-Ax -Iy"},
    {"quote inside an unquoted name", "auto\"run x\".exe -Ax", "x\".exe -Ax"},
    {"trailing blanks of the tail kept", "a.exe -Ax  ", "-Ax  "},
};

class CommandTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommandTail, SkipsTheProgramName)
{
    const TailCase& c = GetParam();
    const char* tail = SkipProgramName(c.line);
    EXPECT_STREQ(c.tail, tail) << "line [" << c.line << "]";
    // The tail is a suffix of the caller's line, not a copy.
    EXPECT_EQ(c.line + strlen(c.line) - strlen(tail), tail);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandTail, ::testing::ValuesIn(kTailCases), CaseName());
