// Text of the authoring tools (the stamp, the checker): converted between
// code pages, and printed as characters to a console, as UTF-8 elsewhere (a
// pipe, a file), so that a caption or a notice in any language reads as
// written wherever the tool runs.
#ifndef AUTORUN_CONSOLE_H
#define AUTORUN_CONSOLE_H

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

#endif
