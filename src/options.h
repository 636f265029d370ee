// What the launcher takes when a switch is not given, and where it looks an
// application up: shared with the checker, which reports by them.
#ifndef AUTORUN_OPTIONS_H
#define AUTORUN_OPTIONS_H

#define APP_PATHS_KEY        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
#define DEFAULT_INSTALL_NAME "setup.exe"
#define DEFAULT_CAPTION      "Talvik"
#define DEFAULT_SPLASH_FILE  "splash.bmp"

#endif
