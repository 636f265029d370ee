// Starting a program as a new process, without waiting for it.
#include "util.h"

#include <objbase.h>
#include <stdlib.h>
#include <string.h>

// Not in every SDK's headers.
#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740L
#endif

// The shell and COM are loaded when the shell path is taken, not with the
// launcher: SHELL32 and OLE32, with the DLLs they bring, would delay every
// splash for a path only elevation and documents take. From the system
// folder by full path, never from the disc or the current directory.
static FARPROC SystemProc(const char* szDll, const char* szName)
{
    char szPath[MAX_PATH + 16];
    UINT uLength = GetSystemDirectoryA(szPath, MAX_PATH);
    if (!uLength || uLength >= MAX_PATH)
        return NULL;
    lstrcpynA(szPath + uLength, szDll, 16);
    HMODULE hModule = LoadLibraryA(szPath);
    return hModule ? GetProcAddress(hModule, szName) : NULL;
}

template <typename F>
static F SystemFunction(const char* szDll, const char* szName)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(SystemProc(szDll, szName)));
}

decltype(&CreateProcessA) pCreateProcessA = CreateProcessA;
decltype(&ShellExecuteExA) pShellExecuteExA = NULL;

bool IsFile(const char* szName)
{
    DWORD dwAttributes = GetFileAttributesA(szName);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first iLength characters of szLine, as a string in szFile.
static void CopyName(char* szFile, const char* szLine, size_t iLength)
{
    memcpy(szFile, szLine, iLength);
    szFile[iLength] = '\0';
}

// Whether the first iLength characters of szLine name a file, as they stand
// or, when their last part has no extension, with ".exe"; szFile receives
// the name tried last.
static bool NamesFile(const char* szLine, size_t iLength, char* szFile)
{
    CopyName(szFile, szLine, iLength);
    if (IsFile(szFile))
        return true;
    const char* szPart = szFile;
    for (const char* p = szFile; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            szPart = p + 1;
    if (strchr(szPart, '.'))
        return false;
    memcpy(szFile + iLength, ".exe", 5);
    return IsFile(szFile);
}

const char* SplitCommandLine(const char* szLine, char* szFile)
{
    size_t iLength;
    const char* szRest;
    if (*szLine == '"') {
        const char* szEnd = strchr(++szLine, '"');
        iLength = szEnd ? (size_t)(szEnd - szLine) : strlen(szLine);
        CopyName(szFile, szLine, iLength);
        szRest = szEnd ? szEnd + 1 : szLine + iLength;
    } else if (IsFile(szLine)) {
        iLength = strlen(szLine);
        CopyName(szFile, szLine, iLength);
        szRest = szLine + iLength;
    } else {
        iLength = 0;
        for (;;) {
            iLength += strcspn(szLine + iLength, " \t");
            if (NamesFile(szLine, iLength, szFile))
                break;
            if (!szLine[iLength++]) {
                iLength = strcspn(szLine, " \t");
                CopyName(szFile, szLine, iLength);
                break;
            }
        }
        szRest = szLine + iLength;
    }
    return szRest + strspn(szRest, " \t");
}

// Starts szLine through the shell, with verb szVerb (null for the file's
// default), in currentDir or the launcher's own directory.
static int ShellStart(const char* szLine, const char* currentDir, const char* szVerb)
{
    SHELLEXECUTEINFOA sei;
    char szDir[1024];

    char* szFile = (char*)malloc(strlen(szLine) + 6);
    if (!szFile)
        return 0;
    memset(&sei, 0, sizeof(sei));
    sei.cbSize = sizeof(sei);
    // The launcher exits right after the call: the shell must have started
    // the program by then, and any failure is reported by our own box.
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = szVerb;
    sei.lpParameters = SplitCommandLine(szLine, szFile);
    sei.lpFile = szFile;
    sei.lpDirectory = currentDir;
    if (!*currentDir) {
        // An elevated program does not inherit our directory: name it.
        DWORD iDirLength = GetCurrentDirectoryA(sizeof(szDir), szDir);
        sei.lpDirectory = iDirLength && iDirLength < sizeof(szDir) ? szDir : NULL;
    }
    sei.nShow = SW_SHOWNORMAL;

    // The shell may hand the start to COM objects, which need the thread's apartment.
    auto pCoInitialize = SystemFunction<decltype(&CoInitialize)>("\\ole32.dll", "CoInitialize");
    auto pCoUninitialize = SystemFunction<decltype(&CoUninitialize)>("\\ole32.dll", "CoUninitialize");
    HRESULT hr = pCoInitialize && pCoUninitialize ? pCoInitialize(NULL) : E_FAIL;
    auto pShellExecute = pShellExecuteExA
                             ? pShellExecuteExA
                             : SystemFunction<decltype(&ShellExecuteExA)>("\\shell32.dll", "ShellExecuteExA");
    int retCode = pShellExecute ? pShellExecute(&sei) : 0;
    DWORD dwError = GetLastError();
    if (SUCCEEDED(hr))
        pCoUninitialize();
    free(szFile);
    SetLastError(dwError);
    return retCode;
}

int InvokeExecutable(const char* exe, const char* currentDir)
{
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;

    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);

    // The platform may write into the command line it is given. A line with
    // blanks that is one file's name is quoted: unquoted, the platform would
    // try each part before a blank first (C:\Program.exe for
    // C:\Program Files\...).
    size_t iSize = strlen(exe) + 1;
    char* exeName = (char*)malloc(iSize + 2);
    if (!exeName)
        return 0;
    bool bQuote = exe[strcspn(exe, " \t")] && IsFile(exe);
    exeName[0] = '"';
    memcpy(exeName + bQuote, exe, iSize);
    if (bQuote)
        memcpy(exeName + iSize, "\"", 2);

    const char* dirName = *currentDir ? currentDir : NULL;
    int retCode = pCreateProcessA(NULL, exeName, NULL, NULL, FALSE, 0, NULL, dirName, &si, &pi);
    DWORD dwError = GetLastError();
    free(exeName);
    if (retCode) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else if (dwError == ERROR_ELEVATION_REQUIRED) {
        // A program that asks for administrator rights: the shell asks the user.
        return ShellStart(exe, currentDir, "runas");
    } else if (dwError == ERROR_BAD_EXE_FORMAT) {
        // Not a program (an installer package, say): the shell opens it.
        return ShellStart(exe, currentDir, NULL);
    }
    SetLastError(dwError);
    return retCode;
}
