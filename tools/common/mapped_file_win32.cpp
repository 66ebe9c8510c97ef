#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "mapped_file.h"
#include "wide_names_win32.h"

namespace zur::platform {
namespace {

// The reasons users meet most read as on the other targets; the rest are
// the system's own words.
std::string systemReason(DWORD code) {
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return "No such file or directory";
  if (code == ERROR_ACCESS_DENIED) return "Permission denied";
  char text[256];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) --n;
  if (n == 0) return "system error " + std::to_string(code);
  return std::string(text, n);
}

// Maps the disk file open on handle; the handle stays open.
std::string mapHandle(HANDLE handle, InputFile &file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) return systemReason(GetLastError());
  const auto octets = static_cast<uint64_t>(size.QuadPart);
  if (octets > SIZE_MAX) return tooLarge(octets);
  file.size = octets;
  if (octets == 0) return {};
  HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) return systemReason(GetLastError());
  void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  const DWORD error = GetLastError();
  CloseHandle(mapping);  // the view keeps the mapping alive
  if (view == nullptr)
    return error == ERROR_NOT_ENOUGH_MEMORY ? tooLarge(octets) : systemReason(error);
  file.view = view;
  file.data = static_cast<const unsigned char *>(view);
  return {};
}

// A pipe whose writer has closed it ends as a file does.
std::string readStream(HANDLE handle, InputFile &file) {
  return readWhole(file, [handle](unsigned char *buffer, std::size_t room, std::string &error) {
    DWORD n = 0;
    if (ReadFile(handle, buffer, static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30)), &n,
                 nullptr))
      return int64_t{n};
    const DWORD code = GetLastError();
    if (code == ERROR_BROKEN_PIPE) return int64_t{0};
    error = systemReason(code);
    return int64_t{-1};
  });
}

std::string openHandle(HANDLE handle, InputFile &file) {
  return GetFileType(handle) == FILE_TYPE_DISK ? mapHandle(handle, file) : readStream(handle, file);
}

}  // namespace

std::string openInput(const char *path, InputFile &file) {
  file = InputFile{};
  if (path == nullptr) {
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return systemReason(GetLastError());
    return openHandle(handle, file);
  }
  if (isDeviceName(path)) return deviceNameRefused();
  const std::wstring name = systemName(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return "Is a directory";
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return systemReason(GetLastError());
  std::string error = openHandle(handle, file);
  CloseHandle(handle);
  return error;
}

void closeInput(InputFile &file) {
  if (file.view != nullptr) UnmapViewOfFile(file.view);
  file = InputFile{};
}

// VirtualUnlock of pages that are not locked takes them out of the working
// set, which is what the process's memory counts.
void releaseBefore(InputFile &file, uint64_t offset) {
  if (file.view == nullptr) return;
  static const uint64_t page = [] {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return uint64_t{info.dwPageSize};
  }();
  const uint64_t end = offset / page * page;
  if (end > file.released)
    VirtualUnlock(static_cast<char *>(file.view) + file.released,
                  static_cast<SIZE_T>(end - file.released));
  file.released = end;
}

}  // namespace zur::platform
