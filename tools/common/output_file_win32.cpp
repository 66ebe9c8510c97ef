#include <windows.h>

#include <cerrno>
#include <cstring>

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

}  // namespace zur::platform
