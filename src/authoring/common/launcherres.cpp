// The launcher's resources as a file holds them: the notice in the splash
// template and the images of the icon group, read, checked and rewritten.
#include <windows.h>
#include <string.h>

#include <map>

#include "authoring/common/launcherres.h"
#include "authoring/common/toolio.h"
#include "resources/resource.h"

static_assert(sizeof(GroupIconEntry) == 14, "an icon group's entry is 14 bytes");

static const char szPngSignature[] = "\x89PNG\r\n\x1a\n";
// DLGTEMPLATE and DLGITEMTEMPLATE, up to their variable fields.
static const size_t iDialogHeader = 18, iControlHeader = 18;
static const WORD wStaticAtom = 0x0082, wNoticeId = IDC_NOTICE;

// Little-endian fields at a place the caller has checked.
static WORD Word(const std::string& s, size_t i)
{
    WORD w;
    memcpy(&w, &s[i], sizeof(w));
    return w;
}

static DWORD Dword(const std::string& s, size_t i)
{
    DWORD dw;
    memcpy(&dw, &s[i], sizeof(dw));
    return dw;
}

static DWORD BigEndian(const std::string& s, size_t i)
{
    const BYTE* p = (const BYTE*)&s[i];
    return (DWORD)p[0] << 24 | (DWORD)p[1] << 16 | (DWORD)p[2] << 8 | p[3];
}

// Moves *pi past a zero-terminated UTF-16 string, or, where bOrdinal, past a
// field that is also 0xFFFF and a WORD; false when it runs past the end.
static bool SkipField(const std::string& s, size_t* pi, bool bOrdinal)
{
    if (*pi > s.size() || s.size() - *pi < 2)
        return false;
    if (bOrdinal && Word(s, *pi) == 0xFFFF) {
        *pi += 4;
        return *pi <= s.size();
    }
    for (; s.size() - *pi >= 2; *pi += 2)
        if (!Word(s, *pi)) {
            *pi += 2;
            return true;
        }
    return false;
}

namespace {
// What rewriting the notice needs of a template: the text, the end of its
// control and the start of the next one.
struct NoticePlaces {
    size_t iText, iLength, iControlEnd, iFourth;
};
}  // namespace

// A standard template (DLGTEMPLATEEX starts with 1, 0xFFFF): the header
// (+0 style, +4 extended style, +8 control count, +10 x, y, cx, cy), the menu,
// class and caption, the font's size and name with DS_SETFONT; then each
// control at a DWORD boundary: the header (+0 style, +4 extended style, +8 x,
// y, cx, cy, +16 id), class, text, and the size of its creation data, which
// follows. Every field is checked against the template's end.
static bool ParseTemplate(const std::string& s, NoticePlaces* pPlaces)
{
    if (s.size() < iDialogHeader || (Word(s, 0) == 1 && Word(s, 2) == 0xFFFF) || Word(s, 8) != 4)
        return false;
    size_t i = iDialogHeader;
    if (!SkipField(s, &i, true) || !SkipField(s, &i, true) || !SkipField(s, &i, false))
        return false;
    if (Dword(s, 0) & DS_SETFONT) {
        i += 2;
        if (!SkipField(s, &i, false))
            return false;
    }
    for (int iControl = 0; iControl < 4; iControl++) {
        i = (i + 3) & ~(size_t)3;
        if (iControl == 3)
            pPlaces->iFourth = i;
        if (i > s.size() || s.size() - i < iControlHeader)
            return false;
        WORD wId = Word(s, i + 16);
        size_t iClass = i + iControlHeader, iText = iClass;
        if (!SkipField(s, &iText, true))
            return false;
        i = iText;
        if (!SkipField(s, &i, true) || s.size() - i < 2)
            return false;
        if (iControl == 2) {
            if (wId != wNoticeId || iText - iClass != 4 || Word(s, iClass) != 0xFFFF ||
                Word(s, iClass + 2) != wStaticAtom || Word(s, iText) == 0xFFFF)
                return false;
            pPlaces->iText = iText;
            pPlaces->iLength = i - 2 - iText;
        }
        i += 2 + Word(s, i);
        if (i > s.size())
            return false;
        if (iControl == 2)
            pPlaces->iControlEnd = i;
    }
    return true;
}

bool ResourceBytes(HMODULE hModule, HRSRC hRes, std::string* psData)
{
    HGLOBAL hData = hRes ? LoadResource(hModule, hRes) : NULL;
    const char* p = hData ? (const char*)LockResource(hData) : NULL;
    if (!p)
        return false;
    psData->assign(p, SizeofResource(hModule, hRes));
    return true;
}

bool ReadResource(HMODULE hModule, LPCSTR szType, LPCSTR szName, std::string* psData)
{
    return ResourceBytes(hModule, FindResourceA(hModule, szName, szType), psData);
}

static BOOL CALLBACK AddTemplate(HMODULE hModule, LPCSTR szType, LPCSTR szName, WORD wLanguage, LONG_PTR lParam)
{
    std::string sTemplate;
    if (ResourceBytes(hModule, FindResourceExA(hModule, szType, szName, wLanguage), &sTemplate))
        ((std::vector<std::pair<WORD, std::string>>*)lParam)->push_back({wLanguage, sTemplate});
    return TRUE;
}

std::vector<std::pair<WORD, std::string>> SplashTemplates(HMODULE hModule)
{
    std::vector<std::pair<WORD, std::string>> templates;
    EnumResourceLanguagesA(hModule, (LPCSTR)RT_DIALOG, SPLASH_SCREEN_NAME, AddTemplate, (LONG_PTR)&templates);
    return templates;
}

std::string LanguageTag(WORD wLanguage)
{
    WCHAR wszTag[LOCALE_NAME_MAX_LENGTH] = L"";
    if (!wLanguage)
        return "neutral";
    if (!LCIDToLocaleName(MAKELCID(wLanguage, SORT_DEFAULT), wszTag, LOCALE_NAME_MAX_LENGTH,
                          LOCALE_ALLOW_NEUTRAL_NAMES))
        return "language " + std::to_string(wLanguage);
    return Narrow(CP_UTF8, wszTag);
}

bool GetNotice(const std::string& sTemplate, std::wstring* psNotice)
{
    NoticePlaces p;
    if (!ParseTemplate(sTemplate, &p))
        return false;
    psNotice->resize(p.iLength / sizeof(WCHAR));
    if (p.iLength)
        memcpy(&(*psNotice)[0], &sTemplate[p.iText], p.iLength);
    return true;
}

bool SetNotice(const std::string& sTemplate, const std::wstring& sNotice, std::string* psStamped)
{
    NoticePlaces p;
    if (!ParseTemplate(sTemplate, &p))
        return false;
    std::string s = sTemplate.substr(0, p.iText);
    s.append((const char*)sNotice.data(), sNotice.size() * sizeof(WCHAR));
    s.append(sTemplate, p.iText + p.iLength, p.iControlEnd - p.iText - p.iLength);
    s.resize((s.size() + 3) & ~(size_t)3, '\0');
    *psStamped = s + sTemplate.substr(p.iFourth);
    return true;
}

HWND MakeHiddenSplash(const std::string& sTemplate)
{
    if (sTemplate.size() < iDialogHeader)
        return NULL;
    std::string sHidden = sTemplate;
    DWORD dwStyle = Dword(sHidden, 0) & ~WS_VISIBLE;
    memcpy(&sHidden[0], &dwStyle, sizeof(dwStyle));
    // The template names its window class, the launcher's; any window
    // procedure serves for measuring.
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = SPLASH_SCREEN_NAME;
    RegisterClassA(&wc);
    return CreateDialogIndirectParamW(wc.hInstance, (LPCDLGTEMPLATEW)sHidden.data(), NULL, NULL, 0);
}

// The notice's width and its control's client width; false when the dialog
// cannot be made.
static bool MeasureNotice(const std::string& sTemplate, int* piNotice, int* piControl)
{
    std::wstring sNotice;
    if (!GetNotice(sTemplate, &sNotice))
        return false;
    HWND hDialog = MakeHiddenSplash(sTemplate);
    HWND hNotice = hDialog ? GetDlgItem(hDialog, wNoticeId) : NULL;
    if (!hNotice) {
        if (hDialog)
            DestroyWindow(hDialog);
        return false;
    }
    HFONT hFont = (HFONT)SendMessageW(hNotice, WM_GETFONT, 0, 0);
    HDC hdc = GetDC(hNotice);
    HGDIOBJ hOld = SelectObject(hdc, hFont ? (HGDIOBJ)hFont : GetStockObject(SYSTEM_FONT));
    SIZE size = {0, 0};
    RECT rClient = {0, 0, 0, 0};
    bool bMeasured =
        GetTextExtentPoint32W(hdc, sNotice.c_str(), (int)sNotice.size(), &size) && GetClientRect(hNotice, &rClient);
    SelectObject(hdc, hOld);
    ReleaseDC(hNotice, hdc);
    DestroyWindow(hDialog);
    *piNotice = size.cx;
    *piControl = rClient.right;
    return bMeasured;
}

std::vector<std::string> NoticeWarnings(const std::vector<std::pair<WORD, std::string>>& templates)
{
    std::vector<std::string> warnings;
    std::wstring wsNotice;
    if (templates.empty())
        return warnings;
    GetNotice(templates[0].second, &wsNotice);
    // The widths that cut it, each with the languages whose fonts give it.
    std::map<std::pair<int, int>, std::string> cut;
    for (const auto& [wLanguage, sTemplate] : templates) {
        int iNotice, iControl;
        if (!MeasureNotice(sTemplate, &iNotice, &iControl)) {
            warnings.push_back("the dialog could not be made here to measure the notice: its width is not checked");
            cut.clear();
            break;
        }
        if (iNotice > iControl)
            cut[{iNotice, iControl}] += (cut[{iNotice, iControl}].empty() ? "" : ", ") + LanguageTag(wLanguage);
    }
    std::string sCut;
    for (const auto& [widths, sLanguages] : cut)
        sCut += (sCut.empty() ? "" : "; ") + std::to_string(widths.first) + " pixels to its control's " +
                std::to_string(widths.second) + " in " + sLanguages;
    if (templates.size() == 1 && !cut.empty())
        warnings.push_back("the notice is " + std::to_string(cut.begin()->first.first) +
                           " pixels wide at the dialog's font and its control " +
                           std::to_string(cut.begin()->first.second) + ": the control cuts it");
    else if (!sCut.empty())
        warnings.push_back("the notice is wider than its control at each language's font, which cuts it: " + sCut);
    std::string sEarlier = EarlierWindowsWarning("the notice", wsNotice);
    if (!sEarlier.empty())
        warnings.push_back(sEarlier);
    for (size_t i = 0; i < wsNotice.size(); i++)
        if (wsNotice[i] == L'&' && wsNotice[++i] != L'&') {
            warnings.push_back(
                "the notice has a single &, which the control shows as a line under the character "
                "after it: write && for an &");
            break;
        }
    return warnings;
}

static bool Refuse(std::string* psWhy, const std::string& sWhy)
{
    *psWhy = sWhy;
    return false;
}

// Why an image is not what its entry says, or "" when it is: a PNG of the
// entry's size, or a DIB of it (a BITMAPINFOHEADER whose height counts the
// XOR bits and the AND mask) that holds its colour table, bits and mask. A
// plane or bit count of 0 in the entry is taken from the image.
static std::string CheckImage(IconImage* pImage, LONG iWidth, LONG iHeight)
{
    const std::string& s = pImage->sBits;
    const std::string sSize = std::to_string(iWidth) + " x " + std::to_string(iHeight);
    WORD wPlanes = 1, wBitCount = 32;
    if (!s.compare(0, 8, szPngSignature, 8)) {
        // The IHDR chunk: +16 width, +20 height, big-endian.
        if (s.size() < 24 || BigEndian(s, 16) != (DWORD)iWidth || BigEndian(s, 20) != (DWORD)iHeight)
            return "is a PNG, but not of the size its directory entry gives (" + sSize + ")";
    } else {
        BITMAPINFOHEADER bih;
        if (s.size() < sizeof(bih) || Dword(s, 0) != sizeof(bih))
            return "is neither a PNG nor a DIB with a 40-byte BITMAPINFOHEADER";
        memcpy(&bih, s.data(), sizeof(bih));
        int iBits = bih.biBitCount;
        if (bih.biWidth != iWidth || bih.biHeight != 2 * iHeight || bih.biPlanes != 1 || bih.biCompression != BI_RGB ||
            (iBits != 1 && iBits != 4 && iBits != 8 && iBits != 16 && iBits != 24 && iBits != 32))
            return "is a DIB, but not an uncompressed one of 1 plane, 1 to 32 bits a pixel and the size its "
                   "directory entry gives (" +
                   sSize + ", the height doubled in the header for the mask)";
        unsigned long long iColours = iBits > 8 ? 0 : bih.biClrUsed ? bih.biClrUsed : 1u << iBits;
        // At most 256 x 256 here, as the entry gives it.
        const unsigned long long iW = iWidth, iH = iHeight;
        unsigned long long iNeeded =
            sizeof(bih) + 4 * iColours + ((iBits * iW + 31) / 32 * 4 + (iW + 31) / 32 * 4) * iH;
        if (s.size() < iNeeded)
            return "is a DIB of " + std::to_string(s.size()) + " bytes, short of the " + std::to_string(iNeeded) +
                   " its colour table, bits and mask take";
        wBitCount = bih.biBitCount;
    }
    if (!pImage->entry.wPlanes)
        pImage->entry.wPlanes = wPlanes;
    if (!pImage->entry.wBitCount)
        pImage->entry.wBitCount = wBitCount;
    return "";
}

bool ReadIconFile(const std::string& sFile, std::vector<IconImage>* pImages, std::string* psWhy)
{
    // ICONDIR: +0 reserved (0), +2 type (1, an icon), +4 image count; then an
    // entry of 16 bytes an image: its group entry's first 12 bytes (width,
    // height, colour count, reserved, planes, bit count, size), then +12 the
    // image's offset in the file.
    const size_t iEntry = 16, iInEntry = 12;
    pImages->clear();
    if (sFile.size() < 6 || Word(sFile, 0) != 0 || Word(sFile, 2) != 1)
        return Refuse(psWhy, "not an icon file: it does not start with an icon directory (reserved 0, type 1)");
    size_t nImages = Word(sFile, 4);
    if (!nImages)
        return Refuse(psWhy, "its icon directory lists no image");
    if ((sFile.size() - 6) / iEntry < nImages)
        return Refuse(psWhy, "its icon directory of " + std::to_string(nImages) + " images runs past the file's end");
    bool bUsable = false;
    for (size_t k = 0; k < nImages; k++) {
        IconImage image;
        memcpy(&image.entry, &sFile[6 + k * iEntry], iInEntry);
        image.entry.nId = (WORD)(k + 1);
        DWORD dwOffset = Dword(sFile, 6 + k * iEntry + iInEntry), dwBytes = image.entry.dwBytesInRes;
        const std::string sImage = "image " + std::to_string(k + 1) + " of its directory ";
        if (!dwBytes || dwOffset > sFile.size() || dwBytes > sFile.size() - dwOffset)
            return Refuse(psWhy, sImage + "lies outside the file");
        image.sBits = sFile.substr(dwOffset, dwBytes);
        LONG iWidth = image.entry.bWidth ? image.entry.bWidth : 256;
        LONG iHeight = image.entry.bHeight ? image.entry.bHeight : 256;
        std::string sWhyNot = CheckImage(&image, iWidth, iHeight);
        if (!sWhyNot.empty())
            return Refuse(psWhy, sImage + sWhyNot);
        for (LONG iSize : {16, 24, 32, 48, 64, 256})
            bUsable = bUsable || (iWidth == iSize && iHeight == iSize);
        pImages->push_back(image);
    }
    if (!bUsable)
        return Refuse(psWhy, "it holds no image of a size Windows uses (16, 24, 32, 48, 64 or 256 pixels square)");
    return true;
}

bool ReadIconGroup(const std::string& sGroup, std::vector<GroupIconEntry>* pEntries)
{
    if (sGroup.size() < 6 || Word(sGroup, 0) != 0 || Word(sGroup, 2) != 1 ||
        (sGroup.size() - 6) / sizeof(GroupIconEntry) < Word(sGroup, 4))
        return false;
    pEntries->resize(Word(sGroup, 4));
    if (!pEntries->empty())
        memcpy(pEntries->data(), &sGroup[6], pEntries->size() * sizeof(GroupIconEntry));
    return true;
}

std::string MakeIconGroup(const std::vector<IconImage>& images)
{
    const WORD awHeader[3] = {0, 1, (WORD)images.size()};
    std::string sGroup((const char*)awHeader, sizeof(awHeader));
    for (const IconImage& image : images)
        sGroup.append((const char*)&image.entry, sizeof(image.entry));
    return sGroup;
}

bool CarriesIcon(HMODULE hModule, const std::string& sIconFile)
{
    std::vector<IconImage> images;
    std::vector<GroupIconEntry> entries;
    std::string sWhy, sGroup, sBits;
    if (!ReadIconFile(sIconFile, &images, &sWhy) ||
        !ReadResource(hModule, (LPCSTR)RT_GROUP_ICON, ICON_GROUP_NAME, &sGroup) || !ReadIconGroup(sGroup, &entries) ||
        entries.size() != images.size())
        return false;
    for (size_t k = 0; k < images.size(); k++)
        if (entries[k].bWidth != images[k].entry.bWidth || entries[k].bHeight != images[k].entry.bHeight ||
            !ReadResource(hModule, (LPCSTR)RT_ICON, MAKEINTRESOURCEA(entries[k].nId), &sBits) ||
            sBits != images[k].sBits)
            return false;
    return true;
}
