// The checker's answers to the authoring tools on Linux: each is the rule
// the launcher or the platform applies, run here, never a copy of it in a
// script.
#include <windows.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <vector>

#include "authoring/asked.h"
#include "authoring/common/inf.h"
#include "authoring/common/launcherres.h"
#include "authoring/common/toolio.h"
#include "resources/resource.h"
#include "util/util.h"

const char* const aszTokens[6] = {"-A", "-I", "-C", "-S", "-P", "-D"};

// Fields of a record apart by US, which no text of autorun.inf or of a
// switch holds in practice, where a blank or a tab would be ambiguous.
static void Record(const std::vector<std::string>& fields)
{
    std::string sLine;
    for (const std::string& sField : fields)
        sLine += (sLine.empty() ? "" : "\x1f") + sField;
    Print(stdout, sLine + "\n");
}

bool MeasureFrame(const std::string& sTemplate, RECT* prInside)
{
    RECT rBorder, rWindow;
    HWND hDialog = MakeHiddenSplash(sTemplate);
    HWND hFrame = hDialog ? GetDlgItem(hDialog, IDC_PICTURE_FRAME) : NULL;
    bool bMade = hFrame && GetWindowRect(hDialog, &rWindow);
    if (bMade) {
        GetInterior(hFrame, prInside, &rBorder);
        OffsetRect(prInside, -rWindow.left, -rWindow.top);
    }
    if (hDialog)
        DestroyWindow(hDialog);
    return bMade;
}

int SayFrame(int iLaunchers, char** aszLaunchers)
{
    // The checker's own template where no launcher is named.
    std::vector<std::pair<WORD, std::string>> templates;
    for (int i = 0; i < std::max(iLaunchers, 1); i++) {
        const char* szLauncher = iLaunchers ? aszLaunchers[i] : NULL;
        HMODULE hLauncher = szLauncher ? LoadLibraryExA(szLauncher, NULL, LOAD_LIBRARY_AS_DATAFILE) : NULL;
        std::vector<std::pair<WORD, std::string>> mine =
            szLauncher && !hLauncher ? std::vector<std::pair<WORD, std::string>>() : SplashTemplates(hLauncher);
        if (hLauncher)
            FreeLibrary(hLauncher);
        if (mine.empty()) {
            Print(stderr, std::string("autorun-check: ") + (szLauncher ? szLauncher : "the checker") +
                              ": not the launcher: it has no splash dialog of the launcher's\n");
            return 2;
        }
        templates.insert(templates.end(), mine.begin(), mine.end());
    }
    // Each language's frame where there are several, then the smallest
    // width and height of all, the largest picture that every one shows whole.
    LONG iWidth = LONG_MAX, iHeight = LONG_MAX;
    for (const auto& [wLanguage, sTemplate] : templates) {
        RECT rInside;
        if (!MeasureFrame(sTemplate, &rInside)) {
            Print(stderr, "autorun-check: the splash dialog cannot be made here (no display?)\n");
            return 2;
        }
        iWidth = std::min(iWidth, rInside.right - rInside.left);
        iHeight = std::min(iHeight, rInside.bottom - rInside.top);
        if (templates.size() > 1)
            Print(stdout, "frame " + LanguageTag(wLanguage) + ": " + std::to_string(rInside.right - rInside.left) +
                              " x " + std::to_string(rInside.bottom - rInside.top) + "\n");
    }
    Print(stdout, "frame: " + std::to_string(iWidth) + " x " + std::to_string(iHeight) + "\n");
    return 0;
}

int SayInf(const char* szFile)
{
    std::string sBytes;
    char szFull[MAX_PATH];
    char* szName = NULL;
    if (!ReadFileBytes(szFile, dwInfLimit, &sBytes) || !GetFullPathNameA(szFile, sizeof(szFull), szFull, &szName) ||
        !szName) {
        Print(stderr, std::string("autorun-check: ") + szFile + ": cannot be read\n");
        return 2;
    }
    bool bMarked;
    std::wstring wsInf = DecodeInf(sBytes, &bMarked);
    const BYTE b = sBytes.empty() ? 0 : (BYTE)sBytes[0];
    std::string sEncoding = b == 0xFF ? "UTF-16LE" : b == 0xFE ? "UTF-16BE" : "UTF-8";
    // A file without a mark that is UTF-8 beyond ASCII was written so by its
    // author's editor, whatever the platform makes of it: it is read as meant.
    if (IsUnmarkedUtf8(sBytes, bMarked)) {
        sEncoding = "UTF-8 unmarked";
        wsInf = Wide(CP_UTF8, sBytes);
    } else if (!bMarked) {
        bool bAscii = std::all_of(sBytes.begin(), sBytes.end(), [](char c) { return (BYTE)c < 0x80; });
        sEncoding = bAscii ? "ASCII" : "ANSI";
    } else if (sEncoding == "UTF-8" && sBytes.size() > 3 &&
               !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, sBytes.data() + 3, (int)sBytes.size() - 3, NULL,
                                    0)) {
        Record({"refused", "it has UTF-8's byte-order mark, but what follows is not UTF-8"});
        return 1;
    }
    Record({"encoding", sEncoding, std::to_string(SystemCodePage())});
    std::map<std::wstring, std::wstring> first;
    int iAutorun = 0;
    for (const TInfLine& line : ReadInfLines(wsInf)) {
        bool bOpens = line.bHeader && line.wsSection == L"autorun" && ++iAutorun == 1;
        bool bInside = iAutorun == 1 && line.wsSection == L"autorun";
        std::wstring wsKey = bOpens ? L"[" : bInside ? line.wsKey : L"";
        if (bInside && !line.wsKey.empty())
            first.emplace(line.wsKey, line.wsValue);
        Record({"line", Narrow(CP_UTF8, wsKey), Narrow(CP_UTF8, line.wsText)});
    }
    for (const auto& [wsKey, wsValue] : first)
        Record({"first", Narrow(CP_UTF8, wsKey), Narrow(CP_UTF8, wsValue)});
    // The launcher is the disc's autorun.exe, however the line names it.
    std::string sFolder(szFull, szName - szFull - 1);
    char szProgram[MAX_PATH] = "", szLauncher[MAX_PATH] = "";
    bool bLauncher = first.count(L"open") &&
                     GetFullPathNameA(PathOnDisc(sFolder, ProgramOf(Narrow(CP_ACP, first[L"open"]))).c_str(), MAX_PATH,
                                      szProgram, NULL) &&
                     GetFullPathNameA((sFolder + "\\autorun.exe").c_str(), MAX_PATH, szLauncher, NULL) &&
                     !lstrcmpiA(szProgram, szLauncher);
    Record({"launcher", bLauncher ? "yes" : "no"});
    return 0;
}

static int Refused(const std::string& sWhy)
{
    Record({"refused", sWhy});
    return 1;
}

// Why the launcher would not read a switch's word as meant, "" when it
// would: then *psMeant is its value. The word alone, read by the launcher's
// own scanner, must give what its parentheses hold, or all after the switch,
// whole in an option string.
static std::string Misread(const std::string& sWord, const std::map<std::string, std::string>& words,
                           std::string* psMeant)
{
    std::string sToken = sWord.substr(0, 2);
    if (std::find(std::begin(aszTokens), std::end(aszTokens), sToken) == std::end(aszTokens))
        return sWord + ": no such launcher switch; there are -A, -I, -C, -S, -P and -D, upper case (make-disc --help)";
    if (words.count(sToken))
        return sToken + " is given twice, as " + words.at(sToken) + " and " + sWord + ": give it once";
    // Read whole, not cut to an option string, so that a misread shows.
    std::vector<char> read(sWord.size() + 1);
    ParseCommandLine(sWord.c_str(), read.data(), (int)read.size(), sToken.c_str());
    bool bParenthesis = sWord.size() > 2 && sWord[2] == '(';
    if (bParenthesis && (sWord.size() < 4 || sWord.back() != ')'))
        return sWord + ": the parenthesis is never closed";
    *psMeant = bParenthesis ? sWord.substr(3, sWord.size() - 4) : sWord.substr(2);
    if (*psMeant != read.data() && bParenthesis)
        return sWord + ": the launcher's value ends at the first ')': it would read \"" + read.data() + "\"";
    if (*psMeant != read.data())
        return sWord + ": a blank ends a value outside parentheses: the launcher would read \"" + read.data() +
               "\"; write " + sToken + "(" + *psMeant + ")";
    if (psMeant->size() > OPTION_SIZE - 1)
        return sToken + ": its value is longer than the launcher's " + std::to_string(OPTION_SIZE - 1) + " bytes";
    return "";
}

int JudgeSwitchList(const char* szList)
{
    std::string sList;
    if (!ReadFileBytes(szList, 1 << 20, &sList)) {
        Print(stderr, std::string("autorun-check: ") + szList + ": cannot be read\n");
        return 2;
    }
    std::map<std::string, std::string> asked, words;
    std::vector<std::string> tokens;
    for (size_t iStart = 0, iEnd; (iEnd = sList.find('\0', iStart)) != std::string::npos; iStart = iEnd + 1) {
        std::string sWord = sList.substr(iStart, iEnd - iStart), sToken = sWord.substr(0, 2), sMeant;
        std::string sWhy = Misread(sWord, words, &sMeant);
        if (!sWhy.empty())
            return Refused(sWhy);
        asked[sToken] = sMeant, words[sToken] = sWord;
        tokens.push_back(sToken);
    }
    // The scanner takes a switch's first occurrence anywhere in the line: a
    // switch not given whose token a value holds is given empty first ("-D()",
    // which it takes as not given), and each switch goes before every value
    // that holds its token, in the author's order where that works.
    for (const char* szToken : aszTokens)
        for (size_t i = 0; !words.count(szToken) && i < tokens.size(); i++)
            if (asked[tokens[i]].find(szToken) != std::string::npos) {
                asked[szToken] = "", words[szToken] = std::string(szToken) + "()";
                tokens.push_back(szToken);
            }
    std::vector<std::string> placed;
    auto blocker = [&](const std::string& sToken) {
        for (const std::string& sOther : tokens)
            if (sOther != sToken && std::find(placed.begin(), placed.end(), sOther) == placed.end() &&
                asked[sToken].find(sOther) != std::string::npos)
                return sOther;
        return std::string();
    };
    std::string sLine, sStuck;
    while (placed.size() < tokens.size()) {
        std::string sNext;
        sStuck = "";
        for (const std::string& sToken : tokens)
            if (std::find(placed.begin(), placed.end(), sToken) == placed.end()) {
                sStuck = sStuck.empty() ? sToken : sStuck;
                if (blocker(sToken).empty()) {
                    sNext = sToken;
                    break;
                }
            }
        if (sNext.empty())
            break;
        placed.push_back(sNext);
        sLine += (sLine.empty() ? "" : " ") + words[sNext];
    }
    if (placed.size() < tokens.size()) {
        std::string sFirst = blocker(sStuck), sSecond = blocker(sFirst);
        return Refused("the value of " + sStuck + " holds " + sFirst + " and the value of " + sFirst + " holds " +
                       sSecond + ": in no order does the launcher find each switch at its own place");
    }
    Record({"line", sLine});
    for (const char* szToken : aszTokens)
        Record({"asked", szToken, asked[szToken]});
    return 0;
}
