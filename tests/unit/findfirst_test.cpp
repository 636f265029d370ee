// Searching a directory for the kinds of entry the caller asks for.
#include "runtime/runtime.h"
#include "support/cases.h"
#include "support/handles.h"
#include "support/paths.h"

#include <cstring>
#include <string>

static const char kPoison = (char)0xdd;

// What every case's directory holds. Each file's contents are its name, so a
// found file's size tells which one it is as well.
struct Entry {
    const char* name;
    DWORD attributes;
};

static const Entry kEntries[] = {
    {"plain.txt", FILE_ATTRIBUTE_NORMAL},
    {"readonly.txt", FILE_ATTRIBUTE_READONLY},
    {"archive.txt", FILE_ATTRIBUTE_ARCHIVE},
    {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
    {"system.txt", FILE_ATTRIBUTE_SYSTEM},
    {"hidsys.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    {"folder", FILE_ATTRIBUTE_DIRECTORY},
    // Listed in name order, a skipped entry comes before the one to find.
    {"mix_a.log", FILE_ATTRIBUTE_HIDDEN},
    {"mix_b.log", FILE_ATTRIBUTE_DIRECTORY},
    {"mix_c.log", FILE_ATTRIBUTE_NORMAL},
    // Nothing here counts without the mask.
    {"only_a.dat", FILE_ATTRIBUTE_HIDDEN},
    {"only_b.dat", FILE_ATTRIBUTE_DIRECTORY},
    {"only_c.dat", FILE_ATTRIBUTE_SYSTEM},
};

static DWORD Attributes(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

// Makes the entries in `dir`; false (with a failure) if one did not come out
// as asked.
static bool MakeEntries(const TempDir& dir)
{
    for (const Entry& e : kEntries) {
        std::string path = dir.Path() + "\\" + e.name;
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA(path.c_str(), NULL);
        } else {
            dir.WriteFile(e.name, e.name);
            SetFileAttributesA(path.c_str(), e.attributes);
        }
        // The kinds findfirst tells apart must be exactly as asked.
        const DWORD kinds = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
        const DWORD wanted = e.attributes & ~FILE_ATTRIBUTE_NORMAL;
        DWORD got = Attributes(path);
        if (got == INVALID_FILE_ATTRIBUTES || (got & wanted) != wanted ||
            (got & kinds) != (wanted & kinds)) {
            ADD_FAILURE() << "precondition: " << path << " has attributes 0x" << std::hex << got
                          << ", wanted 0x" << wanted;
            return false;
        }
    }
    return true;
}

struct FindCase {
    const char* name;
    const char* pattern;   // below the case's directory
    int attrib;
    const char* found;     // null: none
};
PRINT_CASE_AS_NAME(FindCase)

static const FindCase kFindCases[] = {
    {"ordinary file", "plain.txt", 0, "plain.txt"},
    {"read-only file", "readonly.txt", 0, "readonly.txt"},
    {"archived file", "archive.txt", 0, "archive.txt"},
    {"hidden file skipped", "hidden.txt", 0, nullptr},
    {"system file skipped", "system.txt", 0, nullptr},
    {"directory skipped", "folder", 0, nullptr},
    {"wildcard passes skipped entries", "mix_*.log", 0, "mix_c.log"},
    {"wildcard with only skipped entries", "only_*.dat", 0, nullptr},
    {"missing name", "absent.txt", 0, nullptr},
    {"name in other case, kept as given", "PLAIN.TXT", 0, "PLAIN.TXT"},
    {"wildcard name as stored", "PLAIN.TX?", 0, "plain.txt"},
    {"question mark", "plai?.txt", 0, "plain.txt"},
    {"hidden asked for", "hidden.txt", FA_HIDDEN, "hidden.txt"},
    {"hidden mask skips system", "system.txt", FA_HIDDEN, nullptr},
    {"hidden and system need both bits", "hidsys.txt", FA_HIDDEN, nullptr},
    {"hidden and system asked for", "hidsys.txt", FA_HIDDEN | FA_SYSTEM, "hidsys.txt"},
    {"directory asked for", "folder", FA_DIREC, "folder"},
    {"hidden mask takes first hidden", "mix_*.log", FA_HIDDEN, "mix_a.log"},
    {"directory mask takes first directory", "mix_*.log", FA_DIREC, "mix_b.log"},
};

class Find : public ::testing::TestWithParam<FindCase> {};

TEST_P(Find, CountsOnlyTheKindsAskedFor)
{
    const FindCase& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(MakeEntries(dir));
    std::string pattern = dir.Path() + "\\" + c.pattern;

    struct ffblk block;
    memset(&block, kPoison, sizeof block);
    int result = findfirst(pattern.c_str(), &block, c.attrib);

    if (!c.found) {
        EXPECT_EQ(-1, result) << pattern << " found "
                              << std::string(block.ff_name, strnlen(block.ff_name, MAX_PATH));
        return;
    }
    ASSERT_EQ(0, result) << pattern << " with mask 0x" << std::hex << c.attrib;
    EXPECT_STREQ(c.found, block.ff_name);
    std::string path = dir.Path() + "\\" + c.found;
    EXPECT_EQ(Attributes(path), block.ff_attrib) << "attributes of " << c.found;
    if (!(block.ff_attrib & FILE_ATTRIBUTE_DIRECTORY)) {
        EXPECT_EQ(strlen(c.found), block.ff_fsize) << "size of " << c.found;
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, Find, ::testing::ValuesIn(kFindCases), CaseName());

// The wildcard cases only show the skipping if the system lists a skipped
// entry first; this makes sure it does.
TEST(Find, WildcardListsASkippedEntryFirst)
{
    TempDir dir;
    ASSERT_TRUE(MakeEntries(dir));
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir.Path() + "\\mix_*.log").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FindClose(h);
    EXPECT_STREQ("mix_a.log", fd.cFileName) << "the system lists entries in another order";
}

// Every search closes its handle: whether it found an entry, passed over
// every entry, or matched nothing.
TEST(Find, ClosesItsSearch)
{
    TempDir dir;
    ASSERT_TRUE(MakeEntries(dir));
    const std::string patterns[] = {dir.Path() + "\\mix_*.log", dir.Path() + "\\only_*.dat",
                                    dir.Path() + "\\absent.txt"};
    struct ffblk block;
    int before = OpenHandleCount();
    for (const std::string& p : patterns)
        findfirst(p.c_str(), &block, 0);
    EXPECT_EQ(before, OpenHandleCount());
}
