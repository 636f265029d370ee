// Resource ids shared by the code and autorun.rc.
#ifndef AUTORUN_RESOURCE_H
#define AUTORUN_RESOURCE_H

// The splash dialog's template and its window class are one name.
#define SPLASH_SCREEN_NAME "SPLASH_SCREEN"

#define IDC_FIRST_BUTTON  42
#define IDC_CANCEL_BUTTON 43
#define IDC_PICTURE_FRAME 45
// The notice, a static whose template id (-1 to the resource compiler) reads
// back as this WORD.
#define IDC_NOTICE 0xFFFF

#define IDS_INSTALL           101
#define IDS_ERROR             201
#define IDS_NO_CURRENT_DRIVE  202
#define IDS_CANNOT_INVOKE     203
#define IDS_NO_UNINSTALL      204
#define IDS_WINEXEC_FAILED    205
#define IDS_NO_EXECUTABLE     206
#define IDS_INVALID_FILE_NAME 207
#define IDS_INVALID_BITMAP    208

#endif
