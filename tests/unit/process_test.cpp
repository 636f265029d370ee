// Starting a program with a command line and a working directory: real
// child processes that record how they were started.
#include "util/util.h"
#include "support/cases.h"
#include "support/child.h"
#include "support/handles.h"
#include "support/paths.h"

#include <vector>

enum class Dir { None, Other, Missing };

struct InvokeCase {
    const char* name;
    const char* args;  // after the quoted program path
    Dir dir;
    bool started;
};
PRINT_CASE_AS_NAME(InvokeCase)

static const InvokeCase kInvokeCases[] = {
    {"no arguments", "", Dir::None, true},
    {"arguments arrive whole", " -Agame.exe -C(My Game)\t-x", Dir::None, true},
    {"working directory passed on", " -x", Dir::Other, true},
    {"working directory that does not exist", "", Dir::Missing, false},
};

class Invoke : public ::testing::TestWithParam<InvokeCase> {};

TEST_P(Invoke, StartsTheCommandLineInItsDirectory)
{
    const InvokeCase& c = GetParam();
    TempDir here, other;
    CurrentDirectory cd(here.Path());
    InstalledChild child(here.Path() + "\\game.exe");
    std::string exe = "\"" + child.Path() + "\"" + c.args;
    std::string dir = c.dir == Dir::Other ? other.Path()
                      : c.dir == Dir::Missing ? here.Path() + "\\missing" : "";
    // A buffer of the caller's, to see that it is not written.
    std::vector<char> line(exe.begin(), exe.end());
    line.push_back('\0');

    int result = InvokeExecutable(line.data(), dir.c_str());

    EXPECT_EQ(exe, line.data()) << "the caller's command line changed";
    EXPECT_EQ(c.started, result != 0);
    if (!c.started) {
        Sleep(300);
        EXPECT_FALSE(child.HasRun());
        return;
    }
    ASSERT_TRUE(child.WaitForRun());
    EXPECT_EQ(exe, child.CommandLine());
    EXPECT_TRUE(SamePath(c.dir == Dir::Other ? other.Path() : here.Path(), child.CurrentDir()))
        << "started in " << child.CurrentDir();
}

INSTANTIATE_TEST_SUITE_P(Lines, Invoke, ::testing::ValuesIn(kInvokeCases), CaseName());

TEST(Invoke, FailsForAProgramThatDoesNotExist)
{
    TempDir here;
    EXPECT_EQ(0, InvokeExecutable((here.Path() + "\\nosuch.exe").c_str(), ""));
}

// The new process's and thread's handles are closed at once.
TEST(Invoke, KeepsNoHandles)
{
    TempDir here;
    InstalledChild child(here.Path() + "\\game.exe");
    std::string exe = "\"" + child.Path() + "\"";
    int before = OpenHandleCount();
    ASSERT_NE(0, InvokeExecutable(exe.c_str(), ""));
    EXPECT_EQ(before, OpenHandleCount());
    EXPECT_TRUE(child.WaitForRun());
}
