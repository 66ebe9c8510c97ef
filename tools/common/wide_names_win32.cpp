#include "wide_names_win32.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace zur::platform {
namespace {

std::wstring wide(const std::string &text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

}  // namespace

std::string utf8(const wchar_t *text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminating null
  return out;
}

std::wstring systemName(const std::string &name) {
  std::wstring path = wide(name);
  if (path.size() < MAX_PATH - 12 || path.starts_with(L"\\\\?\\")) return path;
  // The extended form is taken literally: it must be absolute, with
  // backslashes and no "." or "..", which GetFullPathNameW sees to.
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD used = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (used == 0 || used >= n) return path;
  full.resize(used);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool isDeviceName(const std::string &name) {
  const std::size_t slash = name.find_last_of("/\\:");
  std::string base = name.substr(slash == std::string::npos ? 0 : slash + 1);
  base = base.substr(0, base.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' &&
         base[3] <= '9';
}

}  // namespace zur::platform
