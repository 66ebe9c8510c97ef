#include <windows.h>

#include <cerrno>
#include <cstring>
#include <direct.h>

#include "output_file.h"
#include "wide_names_win32.h"

namespace zur::platform {

std::FILE *createOutput(const std::string &name, std::string &error) {
  if (isDeviceName(name)) {
    error = deviceNameRefused();
    return nullptr;
  }
  const std::wstring path = systemName(name);
  std::FILE *file = _wfopen(path.c_str(), L"wb");
  if (file != nullptr) return file;
  const int code = errno;
  // Windows refuses to open a directory as it refuses a file it may not
  // write: say which.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  error = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
              ? "Is a directory"
              : std::strerror(code);
  return nullptr;
}

std::string makeDirectories(const std::string &name) {
  if (isDeviceName(name)) return deviceNameRefused();
  // Through the long form, which passes the 260-character limit at every
  // level, as the files written into it do.
  const std::wstring path = systemName(name);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "" : std::strerror(ENOTDIR);
  // The one above first, unless name is at a root (\x, C:\x, C:x).
  std::size_t slash = name.find_last_of("/\\");
  while (slash != std::string::npos && slash > 0 && (name[slash - 1] == '/' || name[slash - 1] == '\\')) --slash;
  if (slash != std::string::npos && slash > 0 && name[slash - 1] != ':')
    if (std::string why = makeDirectories(name.substr(0, slash)); !why.empty()) return why;
  if (_wmkdir(path.c_str()) != 0 && errno != EEXIST) return std::strerror(errno);
  return {};
}

}  // namespace zur::platform
