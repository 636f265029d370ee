// What the authoring tools (the stamp, the checker) read and print: files
// read whole or in part, and text converted between code pages and printed
// as characters to a console, as UTF-8 elsewhere (a pipe, a file), so that a
// caption or a notice in any language reads as written wherever a tool runs.
#ifndef AUTORUN_TOOLIO_H
#define AUTORUN_TOOLIO_H

#include <windows.h>
#include <io.h>
#include <stdio.h>

#include <string>

inline std::wstring Wide(UINT uCodePage, const std::string& s)
{
    std::wstring ws(s.size(), L'\0');
    ws.resize(s.empty() ? 0 : MultiByteToWideChar(uCodePage, 0, s.data(), (int)s.size(), &ws[0], (int)ws.size()));
    return ws;
}

// In a code page; *pbLost (when given) tells whether a character had no
// place in it, look-alikes not taken.
inline std::string Narrow(UINT uCodePage, const std::wstring& ws, BOOL* pbLost = NULL)
{
    std::string s(ws.size() * 4, '\0');
    BOOL bLost = FALSE;
    bool bUtf8 = uCodePage == CP_UTF8;
    s.resize(ws.empty() ? 0
                        : WideCharToMultiByte(uCodePage, bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, ws.data(), (int)ws.size(),
                                              &s[0], (int)s.size(), NULL, bUtf8 ? NULL : &bLost));
    if (pbLost)
        *pbLost = bLost;
    return s;
}

// The system's ANSI code page, in which the shell reads a file without a
// byte-order mark whatever this program's own is (UTF-8 in the checker, which
// carries the launcher's manifest, on Windows 10 version 1903 and later).
inline UINT SystemCodePage()
{
    DWORD dwCodePage = CP_ACP;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, (LPWSTR)&dwCodePage,
                   sizeof dwCodePage / sizeof(WCHAR));
    return dwCodePage;
}

// What Windows before 10 version 1903 shows of ws, text the launcher reads
// in the ANSI code page there (in UTF-8 on later Windows, as its manifest
// asks): when this system's ANSI code page cannot hold it, a warning's text,
// said of sWhat, naming the code pages that can; "" when it can.
inline std::string EarlierWindowsWarning(const std::string& sWhat, const std::wstring& ws)
{
    static const struct {
        UINT uCodePage;
        const char* szScript;
    } aPages[] = {{874, "Thai"},
                  {932, "Japanese"},
                  {936, "Simplified Chinese"},
                  {949, "Korean"},
                  {950, "Traditional Chinese"},
                  {1250, "Central European"},
                  {1251, "Cyrillic"},
                  {1252, "Western"},
                  {1253, "Greek"},
                  {1254, "Turkish"},
                  {1255, "Hebrew"},
                  {1256, "Arabic"},
                  {1257, "Baltic"},
                  {1258, "Vietnamese"}};
    UINT uSystem = SystemCodePage();
    BOOL bLost = FALSE;
    if (uSystem != CP_UTF8)
        Narrow(uSystem, ws, &bLost);
    if (!bLost)
        return "";
    std::string sHeld;
    size_t iHeld = 0;
    for (const auto& page : aPages) {
        Narrow(page.uCodePage, ws, &bLost);
        if (!bLost)
            sHeld += std::string(iHeld++ ? ", " : "") + std::to_string(page.uCodePage) + " (" + page.szScript + ")";
    }
    return sWhat + " shows whole on Windows 10 version 1903 and later; on earlier Windows " +
           (iHeld ? "only where the ANSI code page is " + sHeld : std::string("in no ANSI code page")) +
           ", elsewhere (as with this system's " + std::to_string(uSystem) +
           ") with ? or a look-alike in place of what the code page lacks";
}

inline void Print(FILE* pStream, const std::string& sUtf8)
{
    DWORD dwMode, dwWritten;
    HANDLE hStream = (HANDLE)_get_osfhandle(_fileno(pStream));
    if (GetConsoleMode(hStream, &dwMode)) {
        std::wstring ws = Wide(CP_UTF8, sUtf8);
        fflush(pStream);
        WriteConsoleW(hStream, ws.data(), (DWORD)ws.size(), &dwWritten, NULL);
    } else {
        fwrite(sUtf8.data(), 1, sUtf8.size(), pStream);
    }
}

// A file's first dwLimit bytes; its whole size through *pdwSize when given.
// False when it cannot be opened or read.
inline bool ReadFileBytes(const std::string& sPath, DWORD dwLimit, std::string* psBytes, DWORD* pdwSize = NULL)
{
    HANDLE hFile = CreateFileA(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwSize = GetFileSize(hFile, NULL), dwRead = 0;
    psBytes->assign(dwSize < dwLimit ? dwSize : dwLimit, '\0');
    bool bRead = psBytes->empty() || ReadFile(hFile, &(*psBytes)[0], (DWORD)psBytes->size(), &dwRead, NULL);
    psBytes->resize(dwRead);
    if (pdwSize)
        *pdwSize = dwSize;
    CloseHandle(hFile);
    return bRead;
}

#endif
