// What a run changed: files below directories, compared before and after,
// and keys or values anywhere in the registry, watched while it runs.
#ifndef AUTORUN_TESTS_SNAPSHOT_H
#define AUTORUN_TESTS_SNAPSHOT_H

#include <windows.h>

#include <set>
#include <string>
#include <vector>

using Snapshot = std::set<std::string>;

// Every key and value (type and data) below root\subKey, added to `into`.
void AddRegistry(Snapshot& into, HKEY root, const std::string& subKey);
// Every file and directory below `dir` with its size, time and attributes.
void AddFiles(Snapshot& into, const std::string& dir);

// The lines of `after` not in `before` and those gone, one per line.
std::string Difference(const Snapshot& before, const Snapshot& after);

// Watches whole registry trees (both views) for any key or value created,
// changed or deleted from construction on.
class RegistryWatch {
public:
    RegistryWatch();
    ~RegistryWatch();
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;

    // The trees changed since construction, e.g. "HKEY_LOCAL_MACHINE"; empty if none.
    std::string Changed() const;

private:
    struct Watch {
        const char* name;
        HKEY hKey;
        HANDLE hEvent;
    };
    std::vector<Watch> m_watches;
};

#endif
