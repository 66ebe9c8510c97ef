#include <cerrno>
#include <cstring>

#include "output_file.h"

namespace zur::platform {

std::FILE *createOutput(const std::string &name, std::string &error) {
  std::FILE *file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) error = std::strerror(errno);
  return file;
}

}  // namespace zur::platform
