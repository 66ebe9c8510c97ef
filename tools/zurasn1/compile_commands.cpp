// check and c: the module compiler's own commands.
#include <algorithm>
#include <iostream>

#include "commands.h"
#include "mapped_file.h"
#include "output_file.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1tool {
namespace {

// The module files of a command's words; false after a usage error (an
// unknown option, no module).
bool moduleFiles(const Args &args, Args &files, int &status) {
  bool optionsEnd = false;
  for (const std::string &arg : args) {
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      status = usageError("unknown option " + arg);
      return false;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    status = usageError("no module given");
    return false;
  }
  return true;
}

// Why a prefix cannot start the generated names; empty when it can. C
// reserves names that start with "_" at file scope, C++ those with "__"
// anywhere: a prefix with either would make every name one of them.
std::string prefixProblem(const std::string &prefix) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (prefix.empty() || !letter(prefix[0]) ||
      !std::all_of(prefix.begin(), prefix.end(), [&](char c) { return letter(c) || digit(c); }))
    return "is not a C identifier (letters, digits and _, not starting with a digit)";
  if (prefix[0] == '_' || prefix.find("__") != std::string::npos)
    return "would give names that C or C++ reserve (a leading _ or a __)";
  return "";
}

std::string counted(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int runCheck(const Args &args) {
  Args files;
  int status = OK;
  if (!moduleFiles(args, files, status)) return status;
  auto compiled = zurasn1::Compilation::compileFiles(files, std::cerr, zur::platform::readWholeFile);
  if (!compiled) return FAILED;
  std::cout << counted(compiled->moduleCount(), "module", "modules") << ", "
            << counted(compiled->pduCount(), "PDU", "PDUs") << "\n";
  return OK;
}

int runC(const Args &args) {
  std::string directory = ".", prefix;
  bool prefixGiven = false;
  Args rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (args[i] == "-o") {
      if (i + 1 == args.size()) return usageError("-o needs a directory");
      directory = args[++i];
    } else if (args[i].starts_with("-o")) {
      directory = args[i].substr(2);
    } else if (args[i] == "-p" || args[i] == "--prefix") {
      if (i + 1 == args.size()) return usageError(args[i] + " needs a prefix");
      prefix = args[++i];
      prefixGiven = true;
    } else if (args[i].starts_with("--prefix=")) {
      prefix = args[i].substr(9);
      prefixGiven = true;
    } else if (args[i].starts_with("-p")) {
      prefix = args[i].substr(2);
      prefixGiven = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  if (prefixGiven) {
    if (const std::string why = prefixProblem(prefix); !why.empty())
      return usageError("prefix '" + prefix + "' " + why);
  }
  Args files;
  int status = OK;
  if (!moduleFiles(rest, files, status)) return status;
  auto compiled = zurasn1::Compilation::compileFiles(files, std::cerr, zur::platform::readWholeFile);
  if (!compiled) return FAILED;
  // Made and written as the other commands write their files: long names
  // and device names on Windows.
  if (const std::string why = zur::platform::makeDirectories(directory); !why.empty()) {
    std::cerr << directory << ": error: cannot make the directory: " << why << "\n";
    return FAILED;
  }
  return compiled->writeC(directory, std::cerr, prefix, zur::platform::writeWholeFile) ? OK : FAILED;
}

}  // namespace zurasn1tool
