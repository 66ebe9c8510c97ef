// File names on Windows: the tools hold them as UTF-8 and hand the system
// UTF-16, so that any name round-trips whatever the ANSI code page.
#ifndef ZURBASE_TOOLS_COMMON_WIDE_NAMES_WIN32_H
#define ZURBASE_TOOLS_COMMON_WIDE_NAMES_WIN32_H

#include <string>

namespace zur::platform {

std::string utf8(const wchar_t *text);

// The name for the wide file functions; a long one in its extended-length
// form (\\?\C:\..., \\?\UNC\server\...), which passes the 260-character
// limit.
std::wstring systemName(const std::string &name);

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, with any extension
// and in any directory, name devices, not files: reading AUX waits forever
// and writing NUL keeps nothing.
bool isDeviceName(const std::string &name);

inline std::string deviceNameRefused() { return "a device name that Windows reserves, not a file"; }

}  // namespace zur::platform

#endif
