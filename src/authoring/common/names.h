// What Windows makes of the names on a disc that make-disc writes (ISO 9660
// with long Joliet names, which Windows reads): every path that would not
// arrive as it stands, with the reason.
#ifndef AUTORUN_NAMES_H
#define AUTORUN_NAMES_H

#include <string>
#include <vector>

struct TNameFinding {
    std::wstring wsPath;
    std::string sWhy;
};

// wsPaths are relative to the disc's root, their names apart by wcSeparator.
std::vector<TNameFinding> JudgeNames(const std::vector<std::wstring>& wsPaths, wchar_t wcSeparator);

#endif
