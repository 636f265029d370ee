// Joliet records hold a name in UCS-2, 103 characters of it with long names;
// Windows then reads it by its own rules. Both as measured on Windows with
// images made as make-disc makes them.
#include <windows.h>

#include <map>

#include "authoring/common/names.h"
#include "authoring/common/toolio.h"

static const size_t iJolietLength = 103;
// With the drive's "D:\" before it and a NUL after it, within MAX_PATH.
static const size_t iPathLength = MAX_PATH - 4;

// One more reason into *psWhy, after a "; ".
static void Add(std::string* psWhy, const std::string& sReason)
{
    *psWhy += (psWhy->empty() ? "" : "; ") + sReason;
}

// Why one name would not arrive as it stands, "" when it would.
static std::string Reasons(const std::wstring& wsName)
{
    std::string sWhy;
    auto add = [&sWhy](const std::string& s) { Add(&sWhy, s); };
    if (wsName.size() > iJolietLength)
        add("a name of " + std::to_string(wsName.size()) + " characters: Windows reads its first " +
            std::to_string(iJolietLength));
    std::string sReplaced, sUnopenable;
    bool bControl = false, bBeyond = false;
    for (size_t i = 0; i < wsName.size(); i++) {
        wchar_t c = wsName[i];
        if (c < 0x20)
            bControl = true;
        else if (c >= 0xD800 && c < 0xE000)
            bBeyond = true;
        else if (wcschr(L":*?\\;", c) && sReplaced.find((char)c) == std::string::npos)
            sReplaced += {' ', (char)c};
        else if (wcschr(L"\"<>|", c) && sUnopenable.find((char)c) == std::string::npos)
            sUnopenable += {' ', (char)c};
    }
    if (!sReplaced.empty())
        add("Joliet holds" + sReplaced + " as _");
    if (bControl)
        add("Joliet holds a control character as _");
    if (bBeyond)
        add("a character beyond UCS-2 (an emoji, say), which Joliet holds as _");
    if (!sUnopenable.empty())
        add("Windows cannot open a name with" + sUnopenable + " in it");
    if (!wsName.empty() && (wsName.back() == L'.' || wsName.back() == L' '))
        add(std::string("Windows reads it without its trailing ") + (wsName.back() == L'.' ? "dot" : "space"));
    std::wstring wsBase = wsName.substr(0, wsName.find(L'.'));
    wsBase.erase(wsBase.find_last_not_of(L' ') + 1);
    static const wchar_t* const awszDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    bool bDevice = false;
    for (const wchar_t* wszDevice : awszDevices)
        bDevice = bDevice || !lstrcmpiW(wsBase.c_str(), wszDevice);
    if (wsBase.size() == 4 && wsBase[3] >= L'1' && wsBase[3] <= L'9')
        bDevice = bDevice || !lstrcmpiW(wsBase.substr(0, 3).c_str(), L"COM") ||
                  !lstrcmpiW(wsBase.substr(0, 3).c_str(), L"LPT");
    if (bDevice)
        add("Windows takes " + Narrow(CP_UTF8, wsBase) +
            " for a device, with any extension: the file cannot be opened");
    return sWhy;
}

std::vector<TNameFinding> JudgeNames(const std::vector<std::wstring>& wsPaths, wchar_t wcSeparator)
{
    std::vector<TNameFinding> found;
    // Names that differ only in case are one name to Windows, which opens the
    // first for both.
    std::map<std::wstring, std::wstring> seen;
    for (const std::wstring& wsPath : wsPaths) {
        size_t iName = wsPath.rfind(wcSeparator);
        iName = iName == std::wstring::npos ? 0 : iName + 1;
        std::string sWhy = Reasons(wsPath.substr(iName));
        if (wsPath.size() > iPathLength)
            Add(&sWhy, "a path of " + std::to_string(wsPath.size()) + " characters: past Windows' limit of " +
                           std::to_string(iPathLength) + ", most programs cannot open it");
        std::wstring wsUpper = wsPath;
        CharUpperBuffW(&wsUpper[0], (DWORD)wsUpper.size());
        auto [it, bNew] = seen.emplace(wsUpper, wsPath);
        if (!bNew)
            Add(&sWhy,
                "the same name to Windows as " + Narrow(CP_UTF8, it->second) + ", and it opens the first for both");
        if (!sWhy.empty())
            found.push_back({wsPath, sWhy});
    }
    return found;
}
