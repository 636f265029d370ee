// The disc checker: says what the launcher will do with a disc folder before
// the disc is burned, by the launcher's own code: the start-up rule that
// takes the program name off the line, the switch scanner, the App Paths
// key, the file search, the BMP reader with its palette rule and the layout
// of the picture in the frame, all from the launcher's modules and its
// resources.
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "authoring/asked.h"
#include "authoring/common/inf.h"
#include "authoring/common/launcherres.h"
#include "authoring/common/names.h"
#include "authoring/common/toolio.h"
#include "filebmp.h"
#include "image/dib.h"
#include "resources/resource.h"
#include "runtime/runtime.h"
#include "util/util.h"

static const char szUsage[] =
    "usage: autorun-check [FOLDER]\n"
    "       autorun-check --frame [LAUNCHER.exe...]\n"
    "       autorun-check --help | --version\n"
    "\n"
    "Says what the launcher will do with the disc whose root is FOLDER (default:\n"
    "the current directory), from FOLDER\\autorun.inf: the caption, the picture and\n"
    "where it shows in the frame (or the box shown instead), the installer the\n"
    "first button starts and how, the App Paths key it reads and whether the\n"
    "application counts as installed on this machine, and what would go wrong.\n"
    "One finding a line; \"problem:\" lines keep the disc from working,\n"
    "\"warning:\" lines are worth a look.\n"
    "\n"
    "Exit code 0: the dialog shows with its picture and its first button finds\n"
    "what it starts. 1: it will not (each reason said). 2: bad usage, or a\n"
    "folder that cannot be read.\n"
    "\n"
    "--frame says the inside of the picture frame of the launchers (LAUNCHER.exe,\n"
    "or the one this checker is built with) on this screen, in pixels\n"
    "(\"frame: W x H\"): the largest picture that each of their languages shows\n"
    "whole (\"frame de: W x H\", each, where there are several). --names LIST, --inf\n"
    "FILE and --switches LIST answer make-disc: the names, autorun.inf and the\n"
    "launcher switches as Windows and the launcher read them.\n";

static std::string sFolder;
static int iProblems;

// Text from the disc as it can be printed: control characters shown as '?',
// and cut after iMost characters.
static std::string Shown(const std::string& s, size_t iMost = 200)
{
    std::string out;
    for (size_t i = 0; i < s.size() && i < iMost; i++)
        out += (unsigned char)s[i] < 0x20 ? '?' : s[i];
    return s.size() > iMost ? out + "... (" + std::to_string(s.size()) + " characters)" : out;
}

// Text in the ANSI code page, as the launcher has it, or in UTF-8.
static void Say(const char* szTopic, const std::string& sText, UINT uCodePage = CP_ACP)
{
    Print(stdout, std::string(szTopic) + ": " +
                      (uCodePage == CP_UTF8 ? sText : Narrow(CP_UTF8, Wide(uCodePage, sText))) + "\n");
}

static void Problem(const std::string& sText)
{
    iProblems++;
    Say("problem", sText);
}

// A platform call that the verdict rests on failed: no verdict, exit 2.
[[noreturn]] static void Fail(const std::string& sWhat)
{
    Print(stderr, "autorun-check: " + sWhat + ": the disc cannot be judged here (error " +
                      std::to_string(GetLastError()) + ")\n");
    exit(2);
}

static std::string Message(UINT uId)
{
    char szText[256];
    if (!LoadStringA(GetModuleHandleA(NULL), uId, szText, sizeof(szText)))
        Fail("message " + std::to_string(uId) + " is missing from the checker's resources");
    return szText;
}

// A path on the disc whose root is FOLDER.
static std::string OnDisc(const std::string& sName)
{
    return PathOnDisc(sFolder, sName);
}

// The publisher's notice that the launcher on the disc shows, said as it
// stands, with a warning where it is the launcher's own or cut by its
// control; and the languages it speaks.
static void CheckNotice(const std::string& sProgram)
{
    std::string sTemplate, sOwnTemplate;
    std::wstring wsNotice, wsOwn;
    HMODULE hLauncher = LoadLibraryExA(OnDisc(sProgram).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    bool bLauncher = hLauncher && ReadResource(hLauncher, RT_DIALOG, SPLASH_SCREEN_NAME, &sTemplate) &&
                     GetNotice(sTemplate, &wsNotice);
    std::string sLanguages;
    std::vector<std::pair<WORD, std::string>> templates;
    if (bLauncher)
        templates = SplashTemplates(hLauncher);
    for (const auto& [wLanguage, sOne] : templates)
        sLanguages += (sLanguages.empty() ? "" : ", ") + LanguageTag(wLanguage);
    if (hLauncher)
        FreeLibrary(hLauncher);
    if (!bLauncher) {
        Say("warning", Shown(sProgram) + " is not the launcher: it has no splash dialog of the launcher's");
        return;
    }
    Say("notice", "\"" + Shown(Narrow(CP_UTF8, wsNotice)) + "\"", CP_UTF8);
    Say("languages", sLanguages == "neutral" ? "English alone, as built (make-disc adds the translations)"
                                             : sLanguages +
                                                   ": Windows shows each user the language of their Windows, "
                                                   "else English");
    if (ReadResource(NULL, RT_DIALOG, SPLASH_SCREEN_NAME, &sOwnTemplate) && GetNotice(sOwnTemplate, &wsOwn) &&
        wsOwn == wsNotice)
        Say("warning",
            "the disc shows the launcher's own notice, not its publisher's: make-disc --notice TEXT "
            "puts yours in");
    for (const std::string& sWarning : NoticeWarnings(templates))
        Say("warning", sWarning, CP_UTF8);
}

// autorun.inf's full path, for the profile functions.
static std::wstring wsInfPath;
// A copy of autorun.inf in UTF-16, removed at exit.
static struct TInfCopy {
    std::wstring wsPath;
    ~TInfCopy()
    {
        if (!wsPath.empty())
            DeleteFileW(wsPath.c_str());
    }
} infCopy;

// A value of autorun.inf as the platform's profile functions read it, which
// is how the shell reads it; false when the section lacks the key.
static bool Profile(const wchar_t* wszSection, const wchar_t* wszKey, std::wstring* pwsValue)
{
    std::wstring ws(65536, L'\0');
    DWORD dwLength = GetPrivateProfileStringW(wszSection, wszKey, L"\x01", &ws[0], (DWORD)ws.size(), wsInfPath.c_str());
    if (dwLength == 1 && ws[0] == L'\x01')
        return false;
    ws.resize(dwLength);
    *pwsValue = ws;
    return true;
}

static bool HasAutorunSection()
{
    std::wstring wsNames(65536, L'\0');
    DWORD dwLength = GetPrivateProfileSectionNamesW(&wsNames[0], (DWORD)wsNames.size(), wsInfPath.c_str());
    for (const wchar_t* p = wsNames.c_str(); p < wsNames.c_str() + dwLength && *p; p += lstrlenW(p) + 1)
        if (!lstrcmpiW(p, L"autorun"))
            return true;
    return false;
}

// A certificate's common name, or its issuer's, in UTF-8.
static std::string CommonName(PCCERT_CONTEXT pCert, DWORD dwFlags = 0)
{
    WCHAR wszName[256] = L"";
    CertGetNameStringW(pCert, CERT_NAME_ATTR_TYPE, dwFlags, (void*)szOID_COMMON_NAME, wszName, 256);
    return *wszName ? Narrow(CP_UTF8, wszName) : "a certificate without a name";
}

// Who signed a program, as the platform's certificate functions read the
// signature it carries, and where the chain this Windows builds from the
// signer's certificate ends: false when it is unsigned.
static bool ReadSignature(const std::string& sPath, std::string& sSigner, std::string& sChain, bool& fTrusted)
{
    std::wstring wsPath = Wide(CP_ACP, sPath);
    HCERTSTORE hStore = NULL;
    HCRYPTMSG hMessage = NULL;
    DWORD dwEncoding, dwContent, dwFormat, dwSize = 0;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, wsPath.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &dwEncoding, &dwContent, &dwFormat, &hStore, &hMessage,
                          NULL))
        return false;
    CryptMsgGetParam(hMessage, CMSG_SIGNER_CERT_INFO_PARAM, 0, NULL, &dwSize);
    std::vector<BYTE> info(dwSize ? dwSize : 1);
    PCCERT_CONTEXT pCert = NULL;
    if (dwSize && CryptMsgGetParam(hMessage, CMSG_SIGNER_CERT_INFO_PARAM, 0, info.data(), &dwSize))
        pCert = CertFindCertificateInStore(hStore, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_CERT,
                                           info.data(), NULL);
    sSigner = "a certificate that the signature does not hold";
    sChain = "this Windows cannot build its chain";
    fTrusted = false;
    CERT_CHAIN_PARA para = {sizeof para, {}};
    PCCERT_CHAIN_CONTEXT pChain = NULL;
    if (pCert) {
        sSigner = CommonName(pCert);
        // The signature's certificates stand in for the intermediates a
        // signer ships; only this Windows' own stores hold the roots it trusts.
        if (CertGetCertificateChain(NULL, pCert, NULL, hStore, &para, 0, NULL, &pChain)) {
            const CERT_SIMPLE_CHAIN* pSimple = pChain->rgpChain[0];
            PCCERT_CONTEXT pEnd = pSimple->rgpElement[pSimple->cElement - 1]->pCertContext;
            DWORD dwStatus = pChain->TrustStatus.dwErrorStatus;
            fTrusted = !(dwStatus & (CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_UNTRUSTED_ROOT));
            if (dwStatus & CERT_TRUST_IS_PARTIAL_CHAIN)
                sChain = "its chain ends at " + CommonName(pEnd) + ", whose issuer, " +
                         CommonName(pEnd, CERT_NAME_ISSUER_FLAG) +
                         ", is neither in the signature nor in this Windows' stores";
            else
                sChain = "its chain ends at " + CommonName(pEnd) +
                         (fTrusted ? ", a root this Windows trusts"
                                   : ", a root this Windows does not trust: a test certificate");
            CertFreeCertificateChain(pChain);
        }
        CertFreeCertificateContext(pCert);
    }
    CryptMsgClose(hMessage);
    CertCloseStore(hStore, 0);
    return true;
}

// The signature lines of a program on the disc, and what Windows 11 makes of
// a program without a signature it trusts.
static void CheckSignature(const std::string& sName, const std::string& sPath)
{
    std::string sSigner, sChain, sShown = Narrow(CP_UTF8, Wide(CP_ACP, Shown(sName)));
    bool fTrusted;
    bool fSigned = ReadSignature(sPath, sSigner, sChain, fTrusted);
    if (fSigned) {
        Say("signature", sShown + ": signed by " + sSigner, CP_UTF8);
        Say("signature", sShown + ": " + sChain, CP_UTF8);
    } else
        Say("signature", sShown + ": not signed", CP_UTF8);
    if (!fSigned || !fTrusted)
        Say("warning",
            sShown + (fSigned ? " is signed, but not by a publisher this Windows trusts" : " is not signed") +
                ": from a downloaded disc image, Windows 11 blocks it where Smart App Control is on, and "
                "SmartScreen and the elevation prompt name an unknown publisher",
            CP_UTF8);
}

// A switch's value as the launcher takes it, its default included, cut to
// its OPTION_SIZE - 1 characters.
static std::string Switch(const char* szTail, const char* szToken)
{
    char szValue[OPTION_SIZE];
    GetSwitch(szTail, szToken, szValue);
    return szValue;
}

// What the platform does to text beyond ASCII in the caption (sCaption, as
// the launcher gets it in the ANSI code page, from the line whose switches
// are szUtf8Tail in UTF-8).
static void CheckText(const std::string& sCaption, bool bUnmarkedUtf8, const char* szUtf8Tail,
                      const std::wstring& wsLabel)
{
    if (bUnmarkedUtf8)
        Say("warning",
            "autorun.inf is UTF-8 without a byte-order mark, which Windows reads in the ANSI code page: the caption "
            "shows as \"" +
                Narrow(CP_UTF8, Wide(CP_ACP, Shown(sCaption))) + "\"" +
                (wsLabel.empty() ? "" : " and the label as \"" + Shown(Narrow(CP_UTF8, wsLabel)) + "\"") +
                "; write it in UTF-16 with a byte-order mark (make-disc does)",
            CP_UTF8);
    std::string sWritten = Switch(szUtf8Tail, "-C");
    std::string sWarning = EarlierWindowsWarning("the caption \"" + Shown(sWritten) + "\"", Wide(CP_UTF8, sWritten));
    if (!sWarning.empty())
        Say("warning", sWarning, CP_UTF8);
}

// What the profile functions pass over without a word: a section or a key
// given twice (they read the first) and a line that a NUL cuts short.
static void CheckLines(const std::wstring& wsInf)
{
    std::vector<std::wstring> seen;
    size_t iLine = 0;
    for (const TInfLine& line : ReadInfLines(wsInf)) {
        iLine++;
        if (line.bNul)
            Say("warning",
                "line " + std::to_string(iLine) + " of autorun.inf holds a NUL: Windows reads it only up to there");
        std::wstring wsName = line.bHeader         ? L"[" + line.wsSection + L"]"
                              : line.wsKey.empty() ? L""
                                                   : line.wsKey + L"= in [" + line.wsSection + L"]";
        bool bOurs = line.wsSection == L"autorun" || line.wsSection == L"autorun.amd64";
        if (bOurs && !wsName.empty() && std::find(seen.begin(), seen.end(), wsName) != seen.end())
            Say("warning", Shown(Narrow(CP_UTF8, wsName)) + " is given twice in autorun.inf: Windows reads the first",
                CP_UTF8);
        seen.push_back(wsName);
    }
}

// Walks the switches as an author wrote them, word by word, each value taken
// by the scanner's own rule, and says what the scanner will make of them.
static void CheckSwitches(const char* szTail)
{
    std::vector<std::string> seen;
    std::vector<const char*> starts;
    const char* p = szTail;
    while (*p) {
        if (*p == ' ' || *p == '\t') {
            p++;
            continue;
        }
        const char* szToken = NULL;
        for (const char* szKnown : aszTokens)
            if (!strncmp(p, szKnown, 2))
                szToken = szKnown;
        if (!szToken) {
            size_t iWord = strcspn(p, " \t");
            std::string sAfter = seen.empty() ? "the program's name" : "the value of " + seen.back();
            Say("warning",
                "\"" + Shown(std::string(p, iWord)) + "\" is no switch and is ignored: " + sAfter +
                    " ends at the blank before it; put a value with blanks in parentheses, as in -C(My Game)");
            p += iWord;
            continue;
        }
        std::vector<char> value(strlen(p) + 1);
        ParseCommandLine(p, value.data(), (int)value.size(), szToken);
        size_t iValue = strlen(value.data());
        bool bParenthesis = p[2] == '(';
        bool bUnclosed = bParenthesis && !strchr(p + 3, ')');
        for (const std::string& sEarlier : seen)
            if (sEarlier == szToken)
                Say("warning", std::string(szToken) + " is given more than once: the first one counts");
        if (bUnclosed)
            Say("warning", std::string("the parenthesis after ") + szToken +
                               " is never closed: its value runs to the end of the line");
        if (iValue > OPTION_SIZE - 1)
            Say("warning", std::string("the value of ") + szToken + " has " + std::to_string(iValue) +
                               " characters: the launcher keeps the first " + std::to_string(OPTION_SIZE - 1));
        seen.push_back(szToken);
        starts.push_back(p);
        p += 2 + iValue + (bParenthesis ? 1 : 0) + (bParenthesis && !bUnclosed ? 1 : 0);
    }
    // The scanner takes the first occurrence anywhere in the line, given as
    // a switch or not.
    for (const char* szToken : aszTokens) {
        const char* szFound = strstr(szTail, szToken);
        if (szFound && std::find(starts.begin(), starts.end(), szFound) == starts.end())
            Say("warning", std::string("the scanner finds ") + szToken + " first in \"" +
                               Shown(std::string(szFound).substr(0, 40)) + "\", inside another value: it takes " +
                               szToken + "'s value from there" +
                               (std::find(seen.begin(), seen.end(), szToken) == seen.end()
                                    ? std::string(", though the line gives no ") + szToken
                                    : std::string(", not the ") + szToken + " given"));
    }
}

// Each switch's value as the scanner reads it from the switches in UTF-8,
// one that is not given as empty (which the launcher takes the same way), cut
// nowhere: what make-disc compares with what its author asked for.
static void SayValues(const char* szTail)
{
    for (const char* szToken : aszTokens) {
        char szValue[OPTION_SIZE];
        ParseCommandLine(szTail, szValue, sizeof(szValue), szToken);
        Say("switch", std::string(szToken) + " \"" + Shown(szValue, sizeof(szValue)) + "\"", CP_UTF8);
    }
}

// The inside of the dialog's picture frame on this screen, in coordinates of
// the dialog's window (its frame and caption included), made from the
// launcher's template (carried in this program's resources), hidden.
static RECT FrameInside()
{
    RECT rInside = {0, 0, 0, 0};
    std::string sTemplate;
    if (!ReadResource(NULL, RT_DIALOG, SPLASH_SCREEN_NAME, &sTemplate))
        Fail("the launcher's dialog is missing from the checker's resources");
    if (!MeasureFrame(sTemplate, &rInside))
        Fail("the launcher's dialog cannot be made, to lay out its picture (no display?)");
    return rInside;
}

// Why box 208 comes, from what the reader found in the picture.
static std::string Refusal(const TReadResult& result)
{
    const BITMAPINFOHEADER& header = result.Header;
    switch (result.Refusal) {
    case TReadResult::NotRefused:
        // No block asked for: the reader never got to the file.
        if (!result.BlockSize)
            return "it cannot be opened";
        if (header.biClrUsed)
            return "the display could not make its bitmap";
        return "it has no colour table: " + std::to_string(header.biBitCount) +
               " bits per pixel; make it 8-bit (tools/make-splash does)";
    case TReadResult::NoBmSignature: return "it does not start with \"BM\": not a BMP file";
    // The remedy: the newer headers of 108 and 124 bytes are what image
    // editors write by default.
    case TReadResult::BadHeaderSize:
        return "its header is " + std::to_string(header.biSize) +
               " bytes, and the launcher reads only those of 12 and 40: make-splash makes a BMP it reads, or save the "
               "picture with a 40-byte header (as \"Windows 3.x\", without colour space information)";
    case TReadResult::ShortHeader: return "the file ends inside its header";
    case TReadResult::BadPlanes: return "its plane count is not 1";
    case TReadResult::BadWidth: return "its width is not above 0";
    case TReadResult::BadHeight: return "its height is not above 0 (rows from the top are not read)";
    case TReadResult::BadBitCount: return "its bit count is none of 1, 4, 8, 16, 24, 32";
    case TReadResult::TooManyPixels:
        return "it states " + std::to_string(header.biWidth) + " x " + std::to_string(header.biHeight) +
               " pixels, more than the launcher takes: " + std::to_string(TDib::MaxPixels) + " (4096 x 4096)";
    case TReadResult::TooLarge: return "the sizes it states are too large to hold";
    case TReadResult::ShortFile: return "the file is shorter than its header says";
    }
    return "";
}

static void CheckPicture(const std::string& sName)
{
    std::string sPath = OnDisc(sName);
    HBITMAP hBitmap = NULL;
    HPALETTE hPalette = NULL;
    TReadResult result = {};
    UINT uMessage = ReadFileBitmap(&sPath[0], &hBitmap, &hPalette, &result);
    if (uMessage == IDS_INVALID_FILE_NAME) {
        DWORD dwAttributes = GetFileAttributesA(sPath.c_str());
        const char* szWhy = dwAttributes == INVALID_FILE_ATTRIBUTES   ? "it is not on the disc"
                            : dwAttributes & FILE_ATTRIBUTE_DIRECTORY ? "it is a folder"
                            : dwAttributes & FILE_ATTRIBUTE_HIDDEN    ? "it is hidden"
                            : dwAttributes & FILE_ATTRIBUTE_SYSTEM    ? "it is a system file"
                                                                      : "it cannot be found";
        Problem("picture " + Shown(sName) + ": box 207 \"" + Message(uMessage) +
                "\" instead, before the dialog: " + szWhy);
        return;
    }
    if (uMessage) {
        Problem("picture " + Shown(sName) + ": box 208 \"" + Message(uMessage) +
                "\" instead, before the dialog: " + Refusal(result));
        return;
    }
    BITMAP bm;
    if (!GetObjectA(hBitmap, sizeof(bm), &bm))
        Fail("the picture's bitmap cannot be read back");
    DeleteBitmap(hBitmap, hPalette);
    RECT rInside = FrameInside();
    LONG iLeft, iTop, iWidth, iHeight;
    FitPicture(rInside.right - rInside.left, bm.bmWidth, &iLeft, &iWidth);
    FitPicture(rInside.bottom - rInside.top, bm.bmHeight, &iTop, &iHeight);
    std::string sSize = std::to_string(bm.bmWidth) + " x " + std::to_string(bm.bmHeight);
    std::string sInside =
        std::to_string(rInside.right - rInside.left) + " x " + std::to_string(rInside.bottom - rInside.top);
    std::string sWhere = " (the inside at " + std::to_string(rInside.left) + "," + std::to_string(rInside.top) +
                         " in the dialog's window)";
    if (iWidth == bm.bmWidth && iHeight == bm.bmHeight)
        Say("picture", Shown(sName) + ", " + sSize + ": shown whole at " + std::to_string(iLeft) + "," +
                           std::to_string(iTop) + " in the frame's inside of " + sInside + sWhere);
    else
        Say("picture", Shown(sName) + ", " + sSize + ": cut to the frame's inside of " + sInside + ": its top-left " +
                           std::to_string(iWidth) + " x " + std::to_string(iHeight) + " is shown" + sWhere);
}

// The launcher joins the name to its drive's root whatever the name holds (a
// drive, a share, a root of its own): so does this.
static void CheckInstaller(const std::string& sValue)
{
    std::string sLine = sFolder + "\\" + sValue;
    std::vector<char> file(sLine.size() + 6);
    SplitCommandLine(sLine.c_str(), file.data());
    DWORD dwType;
    if (!IsFile(file.data()))
        Problem("installer " + Shown(sValue) + ": not a file at the disc's root; the first button shows box 203 \"" +
                Message(IDS_CANNOT_INVOKE) + "\" where nothing is installed");
    else if (GetBinaryTypeA(file.data(), &dwType)) {
        Say("installer", Shown(sValue) + ": at the disc's root; started directly");
        std::string sFile = file.data();
        CheckSignature(sFile.substr(sFile.find_last_of("\\/") + 1), sFile);
    } else
        Say("installer", Shown(sValue) +
                             ": at the disc's root; not a program, so opened through the shell with its default verb "
                             "(as an MSI package is)");
}

static void CheckApplication(const std::string& sApp, const std::string& sDialog)
{
    std::string sKey = std::string(APP_PATHS_KEY) + sApp;
    if (sApp.empty())
        Say("warning", "no -A: the launcher reads the App Paths key itself and never finds an application to play");
    bool bInstalled = IsAppInstalled(sKey.c_str());
    Say("application",
        "HKLM\\" + Shown(sKey) +
            (bInstalled ? ": installed on this machine; the first button reads \"&Play\"" +
                              std::string(sDialog.empty() ? "" : ", and with -D the launcher does not appear")
                        : ": not installed on this machine; the first button reads \"" + Message(IDS_INSTALL) + "\""));
}

// Whether the file named by icon= is on the disc, and (Explorer shows it,
// the taskbar the launcher's own) whether the launcher carries it too.
static void CheckIcon(const std::string& sValue, const std::string& sLine)
{
    std::string sIcon = sValue.substr(0, sValue.find(',')), sProgram = ProgramOf(sLine), sFile;
    if (!IsFile(OnDisc(sIcon).c_str())) {
        Say("warning", Shown(sIcon) + ": icon= names a file not on the disc");
        return;
    }
    std::string sSaid = ": on the disc";
    HMODULE hLauncher = NULL;
    if (lstrcmpiA(sIcon.c_str(), sProgram.c_str()) && IsFile(OnDisc(sProgram).c_str()) &&
        (hLauncher = LoadLibraryExA(OnDisc(sProgram).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE)) &&
        ReadFileBytes(OnDisc(sIcon), dwInfLimit, &sFile))
        sSaid += CarriesIcon(hLauncher, sFile) ? ", and the launcher on the disc carries it"
                                               : "; the launcher on the disc carries another icon, which the taskbar "
                                                 "shows (make-disc --icon puts it in)";
    if (hLauncher)
        FreeLibrary(hLauncher);
    Say("icon", Shown(sIcon) + sSaid);
}

// Judges what one line of autorun.inf starts: the launcher with its
// switches, or (shellexecute=) a file that the shell opens.
static void CheckStart(const std::string& sKey, bool bAmd64, const std::wstring& wsValue, bool bUnmarkedUtf8,
                       const std::wstring& wsLabel)
{
    std::string sLine = Narrow(CP_ACP, wsValue), sProgram = ProgramOf(sLine);
    std::string sTopic = sKey + (bAmd64 ? " (64-bit Windows)" : "");
    const char* szTail = SkipProgramName(sLine.c_str());
    DWORD dwType;
    Say(sTopic.c_str(), Shown(sLine));
    if (!IsFile(OnDisc(sProgram).c_str())) {
        Problem((bAmd64 ? "[AutoRun.Amd64]'s " : "") + sKey + "= starts " + Shown(sProgram) +
                ", which is not a file on the disc");
    } else if (sKey == "shellexecute" && !GetBinaryTypeA(OnDisc(sProgram).c_str(), &dwType)) {
        Say(sTopic.c_str(), Shown(sProgram) +
                                ": not a program: the shell opens it with its default verb, which is "
                                "fine for a document or an MSI package; no launcher starts");
        return;
    } else {
        CheckSignature(sProgram, OnDisc(sProgram));
        CheckNotice(sProgram);
    }
    CheckSwitches(szTail);
    // The line in UTF-8 holds every character, whatever this machine's code
    // page; the scanner splits it where it splits the ANSI one.
    const std::string sUtf8Line = Narrow(CP_UTF8, wsValue);
    const char* szUtf8Tail = SkipProgramName(sUtf8Line.c_str());
    SayValues(szUtf8Tail);
    std::string sCaption = Switch(szTail, "-C");
    Say("caption", "\"" + Shown(sCaption) + "\"");
    CheckText(sCaption, bUnmarkedUtf8, szUtf8Tail, wsLabel);
    std::string sWindowClass = Switch(szTail, "-P");
    if (!sWindowClass.empty())
        Say("stays away", std::string("while a window of class ") + Shown(sWindowClass) + " exists" +
                              (FindWindowA(sWindowClass.c_str(), NULL) ? " (one does now)" : ""));
    CheckPicture(Switch(szTail, "-S"));
    CheckInstaller(Switch(szTail, "-I"));
    CheckApplication(Switch(szTail, "-A"), Switch(szTail, "-D"));
}

// The folder's paths below wsDir, as Windows names them, at most *piLeft.
// NOLINTNEXTLINE(misc-no-recursion): one level per folder, 8 at most
static void ListPaths(const std::wstring& wsDir, const std::wstring& wsRelative, int iDepth, int* piLeft,
                      std::vector<std::wstring>* pwsPaths)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((wsDir + L"\\*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring wsName = fd.cFileName;
        if (wsName == L"." || wsName == L".." || --*piLeft < 0)
            continue;
        pwsPaths->push_back(wsRelative + wsName);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && iDepth < 8)
            ListPaths(wsDir + L"\\" + wsName, wsRelative + wsName + L"\\", iDepth + 1, piLeft, pwsPaths);
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
}

// The names on the disc that Windows would not read back as they stand.
static void CheckNames()
{
    std::vector<std::wstring> wsPaths;
    int iLeft = 10000;
    ListPaths(Wide(CP_ACP, sFolder), L"", 1, &iLeft, &wsPaths);
    if (iLeft < 0)
        Say("warning", "more than 10,000 files: the names of the rest were not looked at");
    for (const TNameFinding& finding : JudgeNames(wsPaths, L'\\'))
        Say("warning", Shown(Narrow(CP_UTF8, finding.wsPath)) + ": " + finding.sWhy, CP_UTF8);
}

// make-disc's question before it writes a disc: LIST holds the paths of the
// folder it will write, relative to its root, apart by '/', each ended by a
// NUL, in UTF-8. Each that would not arrive as it stands is said.
static int JudgeNameList(const char* szList)
{
    std::string sList;
    if (!ReadFileBytes(szList, 1 << 30, &sList)) {
        fprintf(stderr, "autorun-check: %s: cannot be read\n", szList);
        return 2;
    }
    std::vector<std::wstring> wsPaths;
    int iFound = 0;
    for (size_t iStart = 0, iEnd; (iEnd = sList.find('\0', iStart)) != std::string::npos; iStart = iEnd + 1) {
        std::string sPath = sList.substr(iStart, iEnd - iStart);
        if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, sPath.data(), (int)sPath.size(), NULL, 0) &&
            !sPath.empty()) {
            Say("name", Narrow(CP_UTF8, Wide(CP_ACP, Shown(sPath))) + ": not UTF-8: Joliet cannot hold it as it is",
                CP_UTF8);
            iFound++;
        }
        wsPaths.push_back(Wide(CP_UTF8, sPath));
    }
    std::vector<TNameFinding> findings = JudgeNames(wsPaths, L'/');
    for (const TNameFinding& finding : findings)
        Say("name", Shown(Narrow(CP_UTF8, finding.wsPath)) + ": " + finding.sWhy, CP_UTF8);
    return iFound || !findings.empty() ? 1 : 0;
}

int main(int argc, char** argv)
{
    if (argc == 2 && !strcmp(argv[1], "--version")) {
        puts("autorun-check " AUTORUN_VERSION);
        return 0;
    }
    if (argc == 3 && !strcmp(argv[1], "--names"))
        return JudgeNameList(argv[2]);
    if (argc >= 2 && !strcmp(argv[1], "--frame"))
        return SayFrame(argc - 2, argv + 2);
    if (argc == 3 && !strcmp(argv[1], "--inf"))
        return SayInf(argv[2]);
    if (argc == 3 && !strcmp(argv[1], "--switches"))
        return JudgeSwitchList(argv[2]);
    if (argc > 2 || (argc == 2 && (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "/?")))) {
        fputs(szUsage, argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    char szFull[MAX_PATH];
    DWORD dwFull = GetFullPathNameA(argc == 2 ? argv[1] : ".", sizeof(szFull), szFull, NULL);
    DWORD dwAttributes = dwFull && dwFull < sizeof(szFull) ? GetFileAttributesA(szFull) : INVALID_FILE_ATTRIBUTES;
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "autorun-check: %s: not a folder that can be read\n", argc == 2 ? argv[1] : ".");
        return 2;
    }
    sFolder = szFull;
    if (sFolder.size() > 3 && sFolder.back() == '\\')
        sFolder.pop_back();

    std::string sBytes;
    DWORD dwInfSize;
    if (!ReadFileBytes(OnDisc("autorun.inf"), dwInfLimit, &sBytes, &dwInfSize)) {
        Problem("no autorun.inf in " + sFolder + ": nothing starts the launcher");
        return 1;
    }
    if (dwInfSize > dwInfLimit)
        Say("warning", "autorun.inf is larger than 1 MiB: only its first 1 MiB is read");
    bool bMarked;
    CheckLines(DecodeInf(sBytes, &bMarked));

    // The values as the shell has them, through the platform's profile
    // functions; 64-bit Windows takes a key from [AutoRun.Amd64] where that
    // section holds it.
    wsInfPath = Wide(CP_ACP, OnDisc("autorun.inf"));
    // Without a mark the profile functions read the file in this program's
    // code page, the launcher's UTF-8, where the shell reads it in the
    // system's: they read a copy in UTF-16, as the shell has it.
    WCHAR wszTemp[MAX_PATH], wszCopy[MAX_PATH];
    if (!bMarked && GetTempPathW(MAX_PATH, wszTemp) && GetTempFileNameW(wszTemp, L"inf", 0, wszCopy)) {
        std::wstring wsText = L"\xFEFF" + DecodeInf(sBytes, &bMarked);
        HANDLE hCopy = CreateFileW(wszCopy, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD dwWritten;
        infCopy.wsPath = wszCopy;
        if (hCopy == INVALID_HANDLE_VALUE ||
            !WriteFile(hCopy, wsText.data(), (DWORD)wsText.size() * (DWORD)sizeof(WCHAR), &dwWritten, NULL) ||
            !CloseHandle(hCopy))
            Fail("autorun.inf cannot be copied to " + Narrow(CP_UTF8, wszCopy));
        wsInfPath = wszCopy;
    }
    if (!HasAutorunSection()) {
        Problem("autorun.inf has no [autorun] section: nothing starts the launcher");
        return 1;
    }
    struct TStart {
        std::string sKey;
        bool bAmd64;
        std::wstring wsValue;
    };
    std::vector<TStart> starts;
    std::wstring wsValue, wsLabel, wsIcon;
    for (const wchar_t* wszKey : {L"open", L"shellexecute"}) {
        std::string sKey = Narrow(CP_ACP, wszKey);
        std::wstring ws32;
        if (Profile(L"autorun", wszKey, &ws32) && !ws32.empty())
            starts.push_back({sKey, false, ws32});
        if (Profile(L"AutoRun.Amd64", wszKey, &wsValue) && !wsValue.empty() && wsValue != ws32) {
            Say("warning", "64-bit Windows takes " + sKey + "= from [AutoRun.Amd64]: both are judged");
            starts.push_back({sKey, true, wsValue});
        }
    }
    if (starts.empty()) {
        Problem("autorun.inf has no open= or shellexecute= line in [autorun]: nothing starts the launcher");
        return 1;
    }
    if (std::count_if(starts.begin(), starts.end(), [](const TStart& start) { return !start.bAmd64; }) == 2)
        Say("warning",
            "both open= and shellexecute= are set: Windows versions differ in which they start; both are "
            "judged");
    Profile(L"autorun", L"label", &wsLabel);
    const bool bUnmarkedUtf8 = IsUnmarkedUtf8(sBytes, bMarked);
    for (const TStart& start : starts)
        CheckStart(start.sKey, start.bAmd64, start.wsValue, bUnmarkedUtf8, wsLabel);
    for (const wchar_t* wszKey : {L"label", L"action"})
        if (Profile(L"autorun", wszKey, &wsValue))
            Say(Narrow(CP_ACP, wszKey).c_str(), Shown(Narrow(CP_UTF8, wsValue)), CP_UTF8);
    if (Profile(L"autorun", L"icon", &wsIcon))
        CheckIcon(Narrow(CP_ACP, wsIcon), Narrow(CP_ACP, starts[0].wsValue));
    CheckNames();
    Say("verdict", iProblems ? "the disc will not work as meant"
                             : "the dialog shows with its picture and its first button finds what it starts");
    return iProblems ? 1 : 0;
}
