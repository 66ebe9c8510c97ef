#include <cerrno>
#include <cstring>
#include <filesystem>

#include "output_file.h"

namespace zur::platform {

std::FILE *createOutput(const std::string &name, std::string &error) {
  std::FILE *file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) error = std::strerror(errno);
  return file;
}

std::string makeDirectories(const std::string &name) {
  std::error_code error;
  std::filesystem::create_directories(name, error);
  return error ? error.message() : std::string();
}

}  // namespace zur::platform
