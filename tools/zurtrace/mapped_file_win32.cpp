#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

#include "mapped_file.h"

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

std::string tooLarge(uint64_t size) {
  return std::to_string(size) + " octets do not fit the address space of this " +
         std::to_string(8 * sizeof(void *)) + "-bit program";
}

// Maps the disk file open on handle; the handle stays open.
std::string mapHandle(HANDLE handle, MappedFile &file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) return systemReason(GetLastError());
  const auto octets = static_cast<uint64_t>(size.QuadPart);
  if (octets > SIZE_MAX) return tooLarge(octets);
  file = MappedFile{};
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

}  // namespace

std::string mapFile(const char *path, MappedFile &file) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return "is a directory";
  HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return systemReason(GetLastError());
  std::string error = mapHandle(handle, file);
  CloseHandle(handle);
  return error;
}

bool mapStandardInput(MappedFile &file, std::string &error) {
  HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK)
    return false;
  error = mapHandle(handle, file);
  return true;
}

void unmapFile(MappedFile &file) {
  if (file.view != nullptr) UnmapViewOfFile(file.view);
  file = MappedFile{};
}

void setBinaryStandardInput() { _setmode(_fileno(stdin), _O_BINARY); }

// The Windows C run-time has no switch that turns a stream's locking off.
void unlockStandardOutput() {}

}  // namespace zur::platform
