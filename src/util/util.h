// The shell utilities: registry reads, the command-line scanner and the
// launch actions, shared by the launcher and its tests.
#ifndef AUTORUN_UTIL_H
#define AUTORUN_UTIL_H

#include <windows.h>
#include <shellapi.h>

// Size in bytes of a value's data; exactly 1 when the key or the value does
// not exist (an empty string value gives 1 as well). An expandable string
// (REG_EXPAND_SZ) gives its expansion and the expansion's size.
int GetRegistryValueData(HKEY hTopKey, const char* szSubKey, const char* szValueName, char* szValue,
                         unsigned int iValueSize);
// 1 when szSubKey below hTopKey can be opened for reading, else 0.
int OpenRegistryKey(HKEY hTopKey, const char* szSubKey);
// The key every registry read of the module is below.
static const HKEY hKeyRoot = HKEY_LOCAL_MACHINE;

// An option string: a switch's value, cut at OPTION_SIZE - 1 characters.
#define OPTION_SIZE 1024
// What the launcher takes when a switch is not given, and where it looks an
// application up.
#define DEFAULT_INSTALL_NAME "setup.exe"
#define DEFAULT_CAPTION      "Talvik"
#define DEFAULT_SPLASH_FILE  "splash.bmp"
#define APP_PATHS_KEY        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"

// The value of the switch szToken in szACommandLine, or the empty string.
void ParseCommandLine(const char* szACommandLine, char* szValue, int iLength, const char* szToken);
// The switch's value as the launcher takes it, into an option string; where
// it is empty, the launcher's default for the switch ("-I", "-C" and "-S"
// have one).
void GetSwitch(const char* szCommandLine, const char* szToken, char* szValue);
// Whether the application of the App Paths key szAppRegKey (below
// HKEY_LOCAL_MACHINE) counts as installed: its unnamed value exists, even
// without data, and is no empty string.
int IsAppInstalled(const char* szAppRegKey);

// The root of the current directory's drive ("D:\\") into a buffer of at
// least 4 characters: 1, or 0 when the buffer is smaller or the current
// directory has no drive letter.
int GetCurrentDrive(char* szCurrentDrive, int iLength);
// The index in the logical-drive list of the first CD-ROM drive after index
// iLastDriveType (-1 starts with the first; an index, not a drive's type),
// its root in szCDROMDrive; -1 when there is none.
int GetCDROMDrive(char* szCDROMDrive, int iLength, int iLastDriveType);

// Starts the command line exe in currentDir ("" for the launcher's own);
// non-zero when the process was created. Nothing waits for it. A line that
// names an existing file as a whole starts that file. A program
// that needs elevation (error 740) is started again through the shell with
// the "runas" verb, a file that is no program (193) with its default verb;
// after a failure GetLastError() tells why, ERROR_CANCELLED when the user
// declined the elevation prompt.
int InvokeExecutable(const char* exe, const char* currentDir);
// Whether szName names a file, not a folder.
bool IsFile(const char* szName);
// Takes the program off a command line as InvokeExecutable starts it: a
// quoted name runs to its closing quote; an unquoted line that names a file
// is that file; otherwise the name is the shortest part before a blank that
// names a file (the first word when none does). The program goes
// to szFile, at least 5 characters longer than the line; the parameters
// that follow are returned.
const char* SplitCommandLine(const char* szLine, char* szFile);
// The calls InvokeExecutable starts programs with: the platform's own (for
// the shell, null: loaded from the system folder when first needed),
// replaced only by tests that need the platform to fail in a chosen way.
extern decltype(&CreateProcessA) pCreateProcessA;
extern decltype(&ShellExecuteExA) pShellExecuteExA;

// The launch actions: 1 when a program was started, 0 after an error box
// (or, without a box, when the user declined to elevate it). Each of the
// three is in an object of its own, so that the launcher, which calls only
// the first, does not import what the others call.
// If the application is installed, starts its App Paths command in its
// "Path"; otherwise the installer from the root of the current drive.
int CheckAndLaunch(const char* szAppKey, const char* szInstallName);
// Like CheckAndLaunch, but an installed application (its key exists) is run
// from the first CD-ROM drive that holds szAppName.
int CheckAndLaunchFromCD(const char* szAppKey, const char* szAppName, const char* szInstallName);
// Runs the key's "UninstallString" command.
int RunUninstall(const char* szAppKey);

// What the launch actions share (launch.cpp).
// Appends szName to the drive root in szValue, cutting what does not fit.
void JoinPath(char* szValue, const char* szName);
// Whether GetRegistryValueData's result means that data was read into the
// buffer: 1 is no value, 0 a value without data, OPTION_SIZE or more one too large.
bool WasRead(int iSize);
// The installer's path at the root of the current drive, into szValue.
int InstallerPath(char* szValue, const char* szInstallName);
// Starts the command szValue in szPath, reporting a failure.
int Launch(const char* szValue, const char* szPath);

// The launch actions' error box: caption string 201, text string
// uMessageId, one OK button. Returns 0, their result after a failure.
int ReportLaunchError(UINT uMessageId);
// The error box for a failed WinExec: string 205 with the code in place of
// its "%i", formatted into szText (at least 1024 characters). Returns 0.
int ReportWinExecError(UINT wExeCode, char* szText);

// A bitmap resource of module hInstance as a device bitmap, with a palette
// from its colour table through *lphPalette (null without a table); null
// when there is no such resource (*lphPalette then untouched) or it cannot
// be made. The caller deletes both handles.
HBITMAP LoadResourceBitmap(HINSTANCE hInstance, const char* lpString, HPALETTE* lphPalette);
// A palette from the colour table after a DIB's 40-byte header, 1 << bits
// entries for up to 8 bits per pixel; *lpiNumColors always receives that
// count (0 above 8 bits, when no palette is made).
HPALETTE CreateDIBPalette(const BITMAPINFO* lpbmi, int* lpiNumColors);

// The picture's place in the dialog's frame, the rule the launcher lays its
// picture out by and the checker reports by. The frame's border as the
// platform draws it: one pixel for WS_BORDER, two when a 3D-look dialog
// turns it into a client edge.
void GetBorder(HWND hFrame, RECT* prBorder);
// The inside of the frame, in screen coordinates, and its border.
void GetInterior(HWND hFrame, RECT* prInterior, RECT* prBorder);
// One dimension of the layout: a picture smaller than the interior is centred
// with its own extent; a larger one starts at 0 and is cut to the interior.
// The test is on the halved difference, so one pixel more still fits whole.
void FitPicture(LONG iInterior, LONG iPicture, LONG* piOffset, LONG* piExtent);

// Puts pString on the clipboard as text, for window hwnd: 1, or 0 when the
// clipboard cannot be opened or take it.
int CopyStringToClipboard(const char* pString, HWND hwnd);
// 1 on the Windows 95 family of the platform, 0 on the NT family.
int IsPlatformWindows95();

#endif
