// autorun-stamp: makes a copy of the built launcher one disc's own, in place,
// with the platform's resource update functions: the publisher's notice in
// the splash template, the icon from an .ico file, the translations of the
// dialog and the strings that this program carries. What is not the
// launcher, or not an icon, is refused and the file left as it was.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "authoring/common/toolio.h"
#include "authoring/common/launcherres.h"
#include "resources/resource.h"

static const char szUsage[] =
    "usage: autorun-stamp LAUNCHER.exe [--notice TEXT] [--icon FILE.ico] [--languages LIST|all]\n"
    "       autorun-stamp --help | --version\n"
    "\n"
    "Stamps LAUNCHER.exe, a copy of the launcher, in place for one disc:\n"
    "  --notice TEXT    TEXT becomes the publisher's notice under the picture\n"
    "  --icon FILE.ico  the icon's images become the launcher's icon; it needs\n"
    "                   one of 16, 24, 32, 48, 64 or 256 pixels square\n"
    "  --languages LIST the dialog and the messages in these languages besides\n"
    "                   English (a comma-separated list of tags, or all): the\n"
    "                   English ones are tagged en-US and Windows shows each\n"
    "                   user the language of their Windows, else English; en\n"
    "                   alone leaves English as built, the only one\n"
    "Every other resource stays as built; the notice is the same in every\n"
    "language. One line says what changed;\n"
    "\"warning:\" lines say what a user will not see as meant: a notice wider\n"
    "than its place under the picture, with a single &, or with characters\n"
    "that Windows before 10 version 1903 shows only in some ANSI code pages.\n"
    "\n"
    "Exit code 0: stamped. 1: refused, the file unchanged, the reason said on\n"
    "stderr. 2: bad usage.\n";

// The most of an icon file that is read.
static const DWORD dwIconLimit = 64 << 20;

static int Refuse(const std::string& sFile, const std::string& sWhy)
{
    Print(stderr, Narrow(CP_UTF8, Wide(CP_ACP, "autorun-stamp: " + sFile + ": " + sWhy + "\n")));
    return 1;
}

static std::string ErrorText(DWORD dwError)
{
    if (!dwError)
        return "the platform gave no reason";
    char szText[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, szText, sizeof(szText),
                   NULL);
    std::string sText = szText;
    sText.erase(sText.find_last_not_of(" \r\n.") + 1);
    if (sText.size() > 7 && !sText.compare(sText.size() - 7, 7, " for %1"))
        sText.erase(sText.size() - 7);
    return "error " + std::to_string(dwError) + (sText.empty() ? "" : " (" + sText + ")");
}

namespace {
// A resource's type or name: a string, or an id where the string is empty.
struct ResId {
    explicit ResId(LPCSTR sz) : s(IS_INTRESOURCE(sz) ? "" : sz), i(IS_INTRESOURCE(sz) ? (ULONG_PTR)sz : 0) {}
    LPCSTR Get() const { return s.empty() ? MAKEINTRESOURCEA(i) : s.c_str(); }
    bool Is(LPCSTR sz) const
    {
        return IS_INTRESOURCE(sz) ? s.empty() && i == (ULONG_PTR)sz : !lstrcmpiA(s.c_str(), sz);
    }
    std::string Said() const { return s.empty() ? "#" + std::to_string(i) : s; }
    std::string s;
    ULONG_PTR i;
};

// One resource of the launcher as it holds it.
struct Resource {
    ResId type, name;
    WORD wLanguage;
    std::string sData;
    bool bRead;
};
}  // namespace

static BOOL CALLBACK AddResource(HMODULE hModule, LPCSTR szType, LPCSTR szName, WORD wLanguage, LONG_PTR lParam)
{
    std::string sData;
    bool bRead = ResourceBytes(hModule, FindResourceExA(hModule, szType, szName, wLanguage), &sData);
    ((std::vector<Resource>*)lParam)->push_back({ResId(szType), ResId(szName), wLanguage, sData, bRead});
    return TRUE;
}

static BOOL CALLBACK AddName(HMODULE hModule, LPCSTR szType, LPSTR szName, LONG_PTR lParam)
{
    EnumResourceLanguagesA(hModule, szType, szName, AddResource, lParam);
    return TRUE;
}

static BOOL CALLBACK AddType(HMODULE hModule, LPSTR szType, LONG_PTR lParam)
{
    EnumResourceNamesA(hModule, szType, AddName, lParam);
    return TRUE;
}

// Every resource of the launcher, read while it is loaded as data, so that
// the update can write the file once the module is gone: 0, or the error
// that kept it from being loaded.
static DWORD ReadResources(const std::string& sLauncher, std::vector<Resource>* pResources)
{
    // By its full name: a bare one is looked for along the program search
    // path, first in this program's own folder, where a built launcher lies.
    char szFull[MAX_PATH];
    DWORD dwFull = GetFullPathNameA(sLauncher.c_str(), sizeof(szFull), szFull, NULL);
    if (!dwFull || dwFull >= sizeof(szFull))
        return dwFull ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
    HMODULE hLauncher = LoadLibraryExA(szFull, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!hLauncher)
        return GetLastError();
    EnumResourceTypesA(hLauncher, AddType, (LONG_PTR)pResources);
    FreeLibrary(hLauncher);
    return 0;
}

// The languages this program carries translations for, by their tags.
static std::vector<std::pair<std::string, WORD>> OwnLanguages()
{
    std::vector<std::pair<std::string, WORD>> languages;
    for (const auto& [wLanguage, sTemplate] : SplashTemplates(NULL))
        languages.push_back({LanguageTag(wLanguage), wLanguage});
    return languages;
}

static int UnknownLanguage(const std::string& sTag, const std::string& sKnown)
{
    Print(stderr, "autorun-stamp: --languages: \"" + sTag + "\" is none of " + sKnown + ", all\n");
    return 2;
}

static bool IsTranslated(const Resource& res)
{
    return res.type.Is((LPCSTR)RT_STRING) || (res.type.Is((LPCSTR)RT_DIALOG) && res.name.Is(SPLASH_SCREEN_NAME));
}

// A resource of this program in the language of the pair, where it has one.
static BOOL CALLBACK AddInLanguage(HMODULE hModule, LPCSTR szType, LPSTR szName, LONG_PTR lParam)
{
    auto* pAdding = (std::pair<std::vector<Resource>*, WORD>*)lParam;
    if (FindResourceExA(hModule, szType, szName, pAdding->second))
        AddResource(hModule, szType, szName, pAdding->second, (LONG_PTR)pAdding->first);
    return TRUE;
}

// The launcher speaks English, as built (language 0), alone; or English as
// en-US and the languages chosen, from this program's translations, each
// template with the notice sNotice. Translations stamped before go.
static bool SetLanguages(std::vector<Resource>* pResources, const std::vector<WORD>& chosen,
                         const std::wstring& sNotice)
{
    const WORD wEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    pResources->erase(std::remove_if(pResources->begin(), pResources->end(),
                                     [&](const Resource& res) {
                                         return IsTranslated(res) && res.wLanguage != 0 && res.wLanguage != wEnglish;
                                     }),
                      pResources->end());
    for (Resource& res : *pResources)
        if (IsTranslated(res))
            res.wLanguage = chosen.empty() ? 0 : wEnglish;
    for (WORD wLanguage : chosen) {
        size_t iFirst = pResources->size();
        std::pair<std::vector<Resource>*, WORD> adding(pResources, wLanguage);
        AddInLanguage(NULL, (LPCSTR)RT_DIALOG, (LPSTR)SPLASH_SCREEN_NAME, (LONG_PTR)&adding);
        if (pResources->size() == iFirst ||
            !SetNotice((*pResources)[iFirst].sData, sNotice, &(*pResources)[iFirst].sData))
            return false;
        EnumResourceNamesA(NULL, (LPCSTR)RT_STRING, AddInLanguage, (LONG_PTR)&adding);
    }
    return true;
}

static Resource* Find(std::vector<Resource>& resources, LPCSTR szType, LPCSTR szName)
{
    for (Resource& res : resources)
        if (res.type.Is(szType) && res.name.Is(szName))
            return &res;
    return NULL;
}

// The icon group made for the new images and those images as RT_ICON 1 to
// n, in the place of the images of the old group.
static void ReplaceIcon(std::vector<Resource>* pResources, Resource* pGroup,
                        const std::vector<GroupIconEntry>& oldEntries, const std::vector<IconImage>& images)
{
    const WORD wLanguage = pGroup->wLanguage;
    pGroup->sData = MakeIconGroup(images);
    std::set<ULONG_PTR> replaced;
    for (const GroupIconEntry& entry : oldEntries)
        replaced.insert(entry.nId);
    for (const IconImage& image : images)
        replaced.insert(image.entry.nId);
    pResources->erase(std::remove_if(pResources->begin(), pResources->end(),
                                     [&](const Resource& res) {
                                         return res.type.Is((LPCSTR)RT_ICON) && res.name.s.empty() &&
                                                replaced.count(res.name.i);
                                     }),
                      pResources->end());
    for (const IconImage& image : images)
        pResources->push_back(
            {ResId((LPCSTR)RT_ICON), ResId(MAKEINTRESOURCEA(image.entry.nId)), wLanguage, image.sBits, true});
}

// Writes the resources as the launcher's, all of them again, on the file
// emptied of its own: Wine's UpdateResource does not delete a resource given
// no data, so the old images could not go one by one. "", or why the file
// was left as it was.
static std::string WriteResources(const std::string& sLauncher, std::vector<Resource>* pResources)
{
    // Whether the file can be written is asked first: the platform's update
    // may fail without a reason (Wine: error 0), and Wine run as root writes
    // a read-only file.
    DWORD dwAttributes = GetFileAttributesA(sLauncher.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY))
        return "cannot be changed: it is read-only";
    HANDLE hFile = CreateFileA(sLauncher.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return "cannot be changed: " + ErrorText(GetLastError());
    CloseHandle(hFile);
    HANDLE hUpdate = BeginUpdateResourceA(sLauncher.c_str(), TRUE);
    if (!hUpdate)
        return "cannot be changed: " + ErrorText(GetLastError());
    bool bUpdated = true;
    for (Resource& res : *pResources)
        bUpdated = bUpdated && UpdateResourceA(hUpdate, res.type.Get(), res.name.Get(), res.wLanguage, &res.sData[0],
                                               (DWORD)res.sData.size());
    if (!bUpdated) {
        DWORD dwError = GetLastError();
        EndUpdateResourceA(hUpdate, TRUE);
        return "the platform refused to change its resources: " + ErrorText(dwError);
    }
    if (!EndUpdateResourceA(hUpdate, FALSE))
        return "cannot be written: " + ErrorText(GetLastError());
    return "";
}

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string sLauncher, sIconFile, sLanguages;
    std::wstring sNotice;
    bool bNotice = false, bIcon = false, bLanguages = false, bHelp = false, bVersion = false, bBad = !argv;
    for (int i = 1; argv && i < argc; i++) {
        std::wstring sArg = argv[i];
        bool bValue = i + 1 < argc;
        if (sArg == L"--help" || sArg == L"-h" || sArg == L"/?")
            bHelp = true;
        else if (sArg == L"--version" && argc == 2)
            bVersion = true;
        else if (sArg == L"--notice" && bValue && !bNotice)
            bNotice = true, sNotice = argv[++i];
        else if (sArg == L"--icon" && bValue && !bIcon)
            bIcon = true, sIconFile = Narrow(CP_ACP, argv[++i]);
        else if (sArg == L"--languages" && bValue && !bLanguages)
            bLanguages = true, sLanguages = Narrow(CP_UTF8, argv[++i]) + ",";
        else if (!sArg.empty() && sArg[0] != L'-' && sLauncher.empty())
            sLauncher = Narrow(CP_ACP, sArg);
        else
            bBad = true;
    }
    LocalFree(argv);
    if (bVersion) {
        puts("autorun-stamp " AUTORUN_VERSION);
        return 0;
    }
    if (bHelp || bBad || sLauncher.empty() || (!bNotice && !bIcon && !bLanguages)) {
        fputs(szUsage, bHelp ? stdout : stderr);
        return bHelp ? 0 : 2;
    }
    // The languages asked for, each once, English always.
    const std::vector<std::pair<std::string, WORD>> own = OwnLanguages();
    std::vector<WORD> chosen;
    std::string sKnown = "en", sChosen = "en-US";
    for (const auto& [sTag, wLanguage] : own)
        sKnown += ", " + sTag;
    for (size_t iAt = 0, iEnd; bLanguages && (iEnd = sLanguages.find(',', iAt)) != std::string::npos; iAt = iEnd + 1) {
        std::string sTag = sLanguages.substr(iAt, iEnd - iAt);
        bool bKnown = !lstrcmpiA(sTag.c_str(), "en");
        for (const auto& [sOwn, wLanguage] : own)
            if (sTag == "all" || !lstrcmpiA(sOwn.c_str(), sTag.c_str())) {
                bKnown = true;
                if (std::find(chosen.begin(), chosen.end(), wLanguage) == chosen.end())
                    chosen.push_back(wLanguage), sChosen += ", " + sOwn;
            }
        if (!bKnown)
            return UnknownLanguage(sTag, sKnown);
    }

    std::vector<IconImage> images;
    std::string sWhy, sBytes;
    DWORD dwIconSize = 0;
    if (bIcon && !ReadFileBytes(sIconFile, dwIconLimit, &sBytes, &dwIconSize))
        return Refuse(sIconFile, "cannot be read: " + ErrorText(GetLastError()));
    if (bIcon && dwIconSize > dwIconLimit)
        return Refuse(sIconFile, "larger than 64 MiB: no icon of a program is");
    if (bIcon && !ReadIconFile(sBytes, &images, &sWhy))
        return Refuse(sIconFile, sWhy);

    std::vector<Resource> resources;
    DWORD dwError = ReadResources(sLauncher, &resources);
    if (dwError)
        return Refuse(sLauncher, "cannot be loaded as a program file: " + ErrorText(dwError));
    Resource* pTemplate = Find(resources, (LPCSTR)RT_DIALOG, SPLASH_SCREEN_NAME);
    Resource* pGroup = Find(resources, (LPCSTR)RT_GROUP_ICON, ICON_GROUP_NAME);
    std::string sStamped;
    std::wstring sOldNotice;
    std::vector<GroupIconEntry> oldEntries;
    if (!pTemplate)
        return Refuse(sLauncher, "not the launcher: it has no dialog template " SPLASH_SCREEN_NAME);
    if (!GetNotice(pTemplate->sData, &sOldNotice) || !SetNotice(pTemplate->sData, sNotice, &sStamped))
        return Refuse(sLauncher, "not the launcher: its template " SPLASH_SCREEN_NAME
                                 " is not the splash dialog's (a standard template of 4 controls, the third a "
                                 "static with id 0xFFFF)");
    if (!pGroup || !ReadIconGroup(pGroup->sData, &oldEntries))
        return Refuse(sLauncher, "not the launcher: it has no icon group " ICON_GROUP_NAME);
    for (const Resource& res : resources)
        if (!res.bRead)
            return Refuse(sLauncher, "its resource " + res.type.Said() + " " + res.name.Said() + " cannot be read");

    // Every language's template gets the notice; the icon's images are
    // replaced before the languages change where the resources lie.
    for (Resource& res : resources)
        if (bNotice && res.type.Is((LPCSTR)RT_DIALOG) && res.name.Is(SPLASH_SCREEN_NAME) &&
            !SetNotice(res.sData, sNotice, &res.sData))
            return Refuse(sLauncher,
                          "not the launcher: one of its templates " SPLASH_SCREEN_NAME " is not the splash dialog's");
    if (bIcon)
        ReplaceIcon(&resources, pGroup, oldEntries, images);
    if (bLanguages && !SetLanguages(&resources, chosen, bNotice ? sNotice : sOldNotice))
        return Refuse(sLauncher, "the translations cannot be added: this stamp does not hold them whole");
    std::string sWhyNot = WriteResources(sLauncher, &resources);
    if (!sWhyNot.empty())
        return Refuse(sLauncher, sWhyNot);

    std::string sSaid;
    if (bNotice)
        sSaid += " the notice \"" + Narrow(CP_UTF8, sNotice) + "\" (was \"" + Narrow(CP_UTF8, sOldNotice) + "\")";
    if (bIcon) {
        sSaid += std::string(bNotice ? ";" : "") + " the icon of " + Narrow(CP_UTF8, Wide(CP_ACP, sIconFile)) + ", " +
                 std::to_string(images.size()) + (images.size() == 1 ? " image:" : " images:");
        for (const IconImage& image : images)
            sSaid += " " + std::to_string(image.entry.bWidth ? image.entry.bWidth : 256) + "x" +
                     std::to_string(image.entry.bHeight ? image.entry.bHeight : 256) + "/" +
                     std::to_string(image.entry.wBitCount);
    }
    if (bLanguages)
        sSaid += std::string(bNotice || bIcon ? ";" : "") +
                 (chosen.empty() ? " English alone, as built" : " the languages " + sChosen);
    Print(stdout, "autorun-stamp: " + Narrow(CP_UTF8, Wide(CP_ACP, sLauncher)) + ":" + sSaid + "\n");
    // The notice as each language's dialog shows it, from the file written.
    char szFull[MAX_PATH] = "";
    GetFullPathNameA(sLauncher.c_str(), sizeof(szFull), szFull, NULL);
    HMODULE hStamped = LoadLibraryExA(szFull, NULL, LOAD_LIBRARY_AS_DATAFILE);
    for (const std::string& sWarning :
         bNotice || bLanguages ? NoticeWarnings(SplashTemplates(hStamped)) : std::vector<std::string>())
        Print(stdout, "warning: " + sWarning + "\n");
    if (hStamped)
        FreeLibrary(hStamped);
    return 0;
}
