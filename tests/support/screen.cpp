#include "support/screen.h"

#include "support/desktop.h"
#include "support/paths.h"

#include <fstream>
#include <sstream>

bool Screenshot::Take(DWORD ms)
{
    char dir[MAX_PATH];
    if (!GetEnvironmentVariableA("AUTORUN_SCREEN_DIR", dir, sizeof dir)) {
        m_error = "AUTORUN_SCREEN_DIR is not set: run under tools/harness.sh";
        return false;
    }
    std::string base = WindowsPath(dir) + "\\" + UniqueName("shot");
    std::ofstream(base + ".request").put('\n');
    std::string shot = base + ".rgb";
    if (!WaitUntil([&] { return GetFileAttributesA(shot.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   ms)) {
        m_error = "no screenshot came";
        return false;
    }
    std::ifstream in(shot, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    in.close();
    DeleteFileA(shot.c_str());
    m_rgb = bytes.str();
    m_width = GetSystemMetrics(SM_CXSCREEN);
    m_height = GetSystemMetrics(SM_CYSCREEN);
    if (m_rgb.size() != (size_t)m_width * m_height * 3) {
        m_error = "the screenshot has " + std::to_string(m_rgb.size()) + " bytes";
        return false;
    }
    return true;
}

DWORD Screenshot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0xFFFFFFFF;
    const unsigned char* p = (const unsigned char*)m_rgb.data() + ((size_t)y * m_width + x) * 3;
    return (DWORD)p[0] << 16 | (DWORD)p[1] << 8 | p[2];
}
