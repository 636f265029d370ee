// What the authoring tools on Linux ask the checker, so that a rule of the
// launcher's has its one home in the launcher's own code: the picture
// frame's size (make-splash), an author's autorun.inf as Windows reads it
// and the launcher switches as the launcher reads them (make-disc).
#ifndef AUTORUN_ASKED_H
#define AUTORUN_ASKED_H

#include <windows.h>

#include <string>

// The launcher's six switches, in the order it reads them.
extern const char* const aszTokens[6];

// The inside of the picture frame of the splash dialog made from sTemplate
// on this screen, in coordinates of the dialog's window; false when the
// dialog cannot be made (no display) or has no frame.
bool MeasureFrame(const std::string& sTemplate, RECT* prInside);

// --frame [LAUNCHER...]: "frame: W x H", the inside of the picture frame in
// pixels as the launchers (this program's own when none is named) lay it out
// on this screen, the smallest of every language's, each of which is said
// first ("frame de: W x H") where there are several. Exit code 0, or 2 said
// on stderr.
int SayFrame(int iLaunchers, char** aszLaunchers);
// --inf FILE: FILE as the platform reads it, a record a line, its fields
// apart by US (0x1F), in UTF-8:
//   encoding US NAME US ANSI-CODE-PAGE   UTF-16LE, UTF-16BE, UTF-8 (after a
//                                        mark), UTF-8 unmarked (read as
//                                        UTF-8), ASCII or ANSI
//   line US KEY US TEXT                  every line as it stands; KEY "[" for
//                                        the first [autorun] section's header,
//                                        the key a line of that section sets,
//                                        else ""
//   first US KEY US VALUE                each key's first value there
//   launcher US yes|no                   whether its open= starts the
//                                        launcher beside FILE (autorun.exe)
// Exit code 0; 1 when FILE is not text as the platform reads it (said as
// "refused US WHY"); 2 when it cannot be read.
int SayInf(const char* szFile);
// --switches LIST: the launcher switches of LIST (words in UTF-8, each ended
// by a NUL) as the launcher's scanner reads them from a line, ordered so that
// it finds each at its own place: "line US SWITCHES", then "asked US TOKEN
// US VALUE" for each of the six (VALUE "" when not given). Exit code 0; 1
// for a switch the launcher would not read as meant ("refused US WHY").
int JudgeSwitchList(const char* szList);

#endif
