// autorun.inf as the platform reads it: its bytes decoded, its lines taken
// apart by the profile functions' rules, and the program a start line names.
// The checker judges a disc with it, and make-disc rewrites an author's file
// from what the checker says of it (autorun-check --inf).
#ifndef AUTORUN_INF_H
#define AUTORUN_INF_H

#include <windows.h>

#include <string>
#include <vector>

// What one autorun.inf holds beyond this size is not read.
static const DWORD dwInfLimit = 1 << 20;

// The text as the profile functions read it: UTF-16 in either byte order or
// UTF-8 after its byte-order mark, else the ANSI code page. *pbMarked tells
// whether it had a mark.
std::wstring DecodeInf(const std::string& sBytes, bool* pbMarked);
// Whether the bytes are UTF-8 beyond ASCII without a byte-order mark, which
// the platform reads in the ANSI code page all the same.
bool IsUnmarkedUtf8(const std::string& sBytes, bool bMarked);

// One line: its text without the line break, and what the profile functions
// make of it. Names are lower case, without the blanks around them.
struct TInfLine {
    std::wstring wsText;
    bool bNul;               // a NUL cuts it short: nothing after it is read
    bool bHeader;            // it opens wsSection
    std::wstring wsSection;  // the section it is in ("" before the first)
    std::wstring wsKey;      // "" when it sets no key
    std::wstring wsValue;    // blanks around it and one pair of quotes around the whole dropped
};
std::vector<TInfLine> ReadInfLines(const std::wstring& wsInf);

// A path on the disc whose root is sFolder: names relative to its root are
// below it.
std::string PathOnDisc(const std::string& sFolder, const std::string& sName);
// The program a start line (open=, shellexecute=) starts, as the launcher's
// start-up takes it off its own line.
std::string ProgramOf(const std::string& sLine);

#endif
