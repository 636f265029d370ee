// The launcher's resources as a file holds them: the splash template with the
// publisher's notice in its third control, and the "AUTORUN" icon group with
// its images. Shared by the stamp, which rewrites them for one disc, and the
// disc checker, which says what a launcher on a disc carries.
#ifndef AUTORUN_LAUNCHERRES_H
#define AUTORUN_LAUNCHERRES_H

#include <windows.h>

#include <string>
#include <vector>

#define ICON_GROUP_NAME "AUTORUN"

#pragma pack(push, 2)
// An image's entry in an icon group resource (RT_GROUP_ICON): as in an .ico
// file's directory, but naming the RT_ICON resource that holds the image
// instead of giving its place in the file.
struct GroupIconEntry {
    BYTE bWidth;  // 0 means 256
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)

// One image of an icon: its group entry and its bytes (a PNG, or a DIB with
// its colour table, XOR bits and AND mask).
struct IconImage {
    GroupIconEntry entry;
    std::string sBits;
};

// The bytes of the resource hRes of the module; false when there are none.
bool ResourceBytes(HMODULE hModule, HRSRC hRes, std::string* psData);
// A resource's bytes, in the language the platform picks; false when the
// module has no such resource.
bool ReadResource(HMODULE hModule, LPCSTR szType, LPCSTR szName, std::string* psData);
// The splash dialog's templates that a module holds, each with its language
// (0, neutral, in the launcher as built; en-US and the others in a disc's).
std::vector<std::pair<WORD, std::string>> SplashTemplates(HMODULE hModule);
// A language's tag, as "de" or "zh-CN"; "neutral" for language 0.
std::string LanguageTag(WORD wLanguage);

// The notice's text; false when the template is not the launcher's: a
// standard template of 4 controls whose third is a static (class atom
// 0x0082) with id 0xFFFF and a text.
bool GetNotice(const std::string& sTemplate, std::wstring* psNotice);
// The template with sNotice as the notice, every other byte as it was but the
// alignment before the fourth control; false when it is not the launcher's.
bool SetNotice(const std::string& sTemplate, const std::wstring& sNotice, std::string* psStamped);
// The splash dialog made from a template, hidden, on this screen, with a
// stand-in for the launcher's window class; null when it cannot be made (no
// display). The caller destroys it.
HWND MakeHiddenSplash(const std::string& sTemplate);
// Every warning of what a user would not see as meant of the notice of the
// splash templates (each language's, as SplashTemplates gives them), in
// UTF-8: that its control cuts it (its width in pixels at the dialog's font
// and the control's, measured on the dialog made hidden on this screen, the
// languages named where there are several), or that it could not be measured
// here; its characters on earlier Windows; a single &.
std::vector<std::string> NoticeWarnings(const std::vector<std::pair<WORD, std::string>>& templates);

// The images of an .ico file's bytes, their group entries numbered from 1 (a
// bit count or plane count of 0 in the file taken from the image); false,
// with the reason in psWhy, when the bytes are not an icon or hold no image
// of a size Windows uses (16, 24, 32, 48, 64 or 256 pixels square).
bool ReadIconFile(const std::string& sFile, std::vector<IconImage>* pImages, std::string* psWhy);
// An icon group resource's entries; false when the bytes are not one.
bool ReadIconGroup(const std::string& sGroup, std::vector<GroupIconEntry>* pEntries);
// The icon group resource for the images, naming them by their entries' nId.
std::string MakeIconGroup(const std::vector<IconImage>& images);
// Whether the module (loaded as data) carries as its "AUTORUN" icon group
// exactly the images of the .ico file's bytes, of the same sizes in the same
// order.
bool CarriesIcon(HMODULE hModule, const std::string& sIconFile);

#endif
