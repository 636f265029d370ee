// autorun.inf's bytes and lines, as the platform's profile functions read
// them.
#include <windows.h>

#include <algorithm>

#include "authoring/common/inf.h"
#include "authoring/common/toolio.h"
#include "runtime/runtime.h"

std::wstring DecodeInf(const std::string& sBytes, bool* pbMarked)
{
    const BYTE* p = (const BYTE*)sBytes.data();
    const size_t n = sBytes.size();
    *pbMarked = true;
    if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
        std::wstring ws((n - 2) / 2, L'\0');
        const int iHigh = p[0] == 0xFF ? 1 : 0;
        for (size_t i = 0; i < ws.size(); i++)
            ws[i] = (WCHAR)(p[2 + 2 * i + iHigh] << 8 | p[3 + 2 * i - iHigh]);
        return ws;
    }
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return Wide(CP_UTF8, sBytes.substr(3));
    *pbMarked = false;
    return Wide(SystemCodePage(), sBytes);
}

bool IsUnmarkedUtf8(const std::string& sBytes, bool bMarked)
{
    return !bMarked && std::any_of(sBytes.begin(), sBytes.end(), [](char c) { return (BYTE)c >= 0x80; }) &&
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, sBytes.data(), (int)sBytes.size(), NULL, 0);
}

static std::wstring Trimmed(const std::wstring& ws)
{
    size_t iFirst = ws.find_first_not_of(L" \t\r"), iLast = ws.find_last_not_of(L" \t\r");
    return iFirst == std::wstring::npos ? L"" : ws.substr(iFirst, iLast - iFirst + 1);
}

static std::wstring Lower(std::wstring ws)
{
    if (!ws.empty())
        CharLowerBuffW(&ws[0], (DWORD)ws.size());
    return ws;
}

std::vector<TInfLine> ReadInfLines(const std::wstring& wsInf)
{
    std::vector<TInfLine> lines;
    std::wstring wsSection;
    for (size_t iStart = 0; iStart < wsInf.size();) {
        size_t iEnd = std::min(wsInf.find(L'\n', iStart), wsInf.size());
        TInfLine line = {wsInf.substr(iStart, iEnd - iStart), false, false, L"", L"", L""};
        iStart = iEnd + 1;
        if (!line.wsText.empty() && line.wsText.back() == L'\r')
            line.wsText.pop_back();
        size_t iNul = std::min(line.wsText.find(L'\0'), line.wsText.size());
        line.bNul = line.wsText.find_first_not_of(std::wstring(L"\0\r", 2), iNul) != std::wstring::npos;
        std::wstring wsRead = Trimmed(line.wsText.substr(0, iNul));
        size_t iEqual = wsRead.find(L'=');
        if (!wsRead.empty() && wsRead[0] == L'[') {
            line.bHeader = true;
            wsSection = Lower(Trimmed(wsRead.substr(1, wsRead.find(L']') - 1)));
        } else if (!wsRead.empty() && wsRead[0] != L';' && iEqual != std::wstring::npos) {
            line.wsKey = Lower(Trimmed(wsRead.substr(0, iEqual)));
            line.wsValue = Trimmed(wsRead.substr(iEqual + 1));
            if (line.wsValue.size() >= 2 && line.wsValue[0] == L'"' && line.wsValue.back() == L'"')
                line.wsValue = line.wsValue.substr(1, line.wsValue.size() - 2);
        }
        line.wsSection = wsSection;
        lines.push_back(line);
    }
    return lines;
}

std::string ProgramOf(const std::string& sLine)
{
    const char* szTail = SkipProgramName(sLine.c_str());
    std::string sProgram(sLine.c_str(), szTail - sLine.c_str());
    sProgram.erase(sProgram.find_last_not_of(" \t") + 1);
    if (!sProgram.empty() && sProgram[0] == '"')
        sProgram = sProgram.substr(1, sProgram.find('"', 1) - 1);
    return sProgram;
}

std::string PathOnDisc(const std::string& sFolder, const std::string& sName)
{
    if (sName.size() > 1 && (sName[1] == ':' || (sName[0] == '\\' && sName[1] == '\\')))
        return sName;
    return sFolder + "\\" + (!sName.empty() && sName[0] == '\\' ? sName.substr(1) : sName);
}
