// zurtrace: traces BER/DER files (binary or PEM) as the library's tag/length
// trees with values, for people who reach for dumpasn1.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "mapped_file.h"
#include "tool_main.h"
#include "tracer.h"
#include "zurasn1/zurasn1.h"
#include "zurbase/zurbase.h"
#include "zurbase/zurcore.h"

namespace zurtrace {
namespace {

constexpr const char *kVersion = "zurtrace " ZURTRACE_VERSION;
constexpr const char *kUsage =
    "usage: zurtrace [options] [FILE...]\n"
    "Traces BER or DER encodings as tag/length trees with values. A FILE is\n"
    "binary, or PEM text (every block of a bundle is traced). No FILE, or -,\n"
    "reads standard input.\n"
    "\n"
    "  --no-values      tags and lengths only, and what is malformed\n"
    "  --hex            a hexadecimal dump of each encoding before its trace\n"
    "  --max-depth N    skip elements nested deeper than N (default 64, the\n"
    "                   outermost element is at depth 0); the first one\n"
    "                   skipped is reported\n"
    "  --offsets        each element's offset and header length (@120 hl=4)\n"
    "  -m MODULE        name OBJECT IDENTIFIER values after the value\n"
    "                   assignments of the ASN.1 module (once per module)\n"
    "  -h, --help       this help\n"
    "  --version        the version\n"
    "\n"
    "Exit status: 0 when every input was well formed, 1 when one was\n"
    "malformed, 2 for a usage error or a file that cannot be read.\n";

// Largest --max-depth. Lines stop indenting at depth 100 whatever the limit.
constexpr long kDepthCeiling = 100000;

// Returns UNUSABLE after a usage error, else -1 and the options.
int parseOptions(const std::vector<std::string> &args, Options &options, std::vector<std::string> &modules) {
  bool optionsEnd = false;
  const std::size_t argc = args.size();
  for (std::size_t i = 1; i < argc; ++i) {
    const std::string &arg = args[i];
    if (optionsEnd || arg == "-" || arg.empty() || arg[0] != '-') {
      options.files.push_back(arg);
    } else if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return WELL_FORMED;
    } else if (arg == "--version") {
      std::printf("%s\n", kVersion);
      return WELL_FORMED;
    } else if (arg == "--no-values") {
      options.values = false;
    } else if (arg == "--hex") {
      options.hex = true;
    } else if (arg == "--offsets") {
      options.offsets = true;
    } else if (arg == "-m") {
      if (i + 1 == argc) {
        complain("-m needs a module file (try zurtrace --help)");
        return UNUSABLE;
      }
      modules.push_back(args[++i]);
    } else if (arg == "--max-depth" || arg.starts_with("--max-depth=")) {
      const char *value = arg == "--max-depth" ? (i + 1 < argc ? args[++i].c_str() : nullptr)
                                                : arg.c_str() + std::strlen("--max-depth=");
      char *end = nullptr;
      errno = 0;
      const long depth = value != nullptr ? std::strtol(value, &end, 10) : 0;
      if (value == nullptr || *value == '\0' || *end != '\0' || errno != 0 || depth < 1 ||
          depth > kDepthCeiling) {
        complain("--max-depth takes a number from 1 to " + std::to_string(kDepthCeiling) +
                 " (try zurtrace --help)");
        return UNUSABLE;
      }
      options.maxDepth = static_cast<int32_t>(depth);
    } else {
      complain("unknown option " + arg + " (try zurtrace --help)");
      return UNUSABLE;
    }
  }
  if (options.files.empty()) options.files.push_back("-");
  return -1;
}

// The OBJECT IDENTIFIER value assignments of modules, by their contents
// octets.
class ObjectIdNames {
 public:
  bool load(const std::vector<std::string> &modules) {
    auto compiled = zurasn1::Compilation::compileFiles(modules, std::cerr, zur::platform::readWholeFile);
    if (!compiled) return false;
    for (const zurasn1::OidName &n : compiled->oidNames()) {
      if (n.arcs.size() < 2) continue;
      std::string contents;
      for (std::size_t k = 1; k < n.arcs.size(); ++k) {
        uint64_t arc = k == 1 ? n.arcs[0] * 40 + n.arcs[1] : n.arcs[k];
        char groups[10];
        int count = 0;
        do {
          groups[count++] = static_cast<char>(arc & 0x7F);
          arc >>= 7;
        } while (arc != 0);
        while (count-- > 0) contents += static_cast<char>(groups[count] | (count != 0 ? 0x80 : 0));
      }
      names_.emplace(contents, n.name);  // the first assignment of a value names it
    }
    return true;
  }
  static const char *find(void *self, const unsigned char *contents, uint64_t length) {
    const auto &names = static_cast<ObjectIdNames *>(self)->names_;
    const auto it = names.find(std::string(reinterpret_cast<const char *>(contents), length));
    return it != names.end() ? it->second.c_str() : nullptr;
  }

 private:
  std::map<std::string, std::string> names_;
};

int traceFile(Tracer &tracer, const std::string &path) {
  const bool standardInput = path == "-";
  const std::string name = standardInput ? "standard input" : path;
  zur::platform::InputFile file;
  const std::string error = zur::platform::openInput(standardInput ? nullptr : path.c_str(), file);
  if (!error.empty()) {
    complain(name + ": " + error);
    zur::platform::closeInput(file);
    return UNUSABLE;
  }
  const int status = tracer.input(name, file);
  zur::platform::closeInput(file);
  return status;
}

// What standard output could not take turns any status into a failure.
int written(int status) {
  std::fflush(stdout);
  return outputFailed() ? UNUSABLE : status;
}

int run(const std::vector<std::string> &args) {
  Options options;
  std::vector<std::string> modules;
  if (int status = parseOptions(args, options, modules); status >= 0) return written(status);
  ObjectIdNames names;
  if (!modules.empty()) {
    if (!names.load(modules)) return UNUSABLE;
    options.oidName = ObjectIdNames::find;
    options.oidContext = &names;
  }
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr) {
    complain("out of memory");
    return UNUSABLE;
  }
  reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(env, RULES_BER);
  Tracer tracer(env, options);
  int status = WELL_FORMED;
  for (const std::string &path : options.files) {
    stopIfOutputFailed();
    if (options.files.size() > 1) tracer.text("file " + path + ":\n");
    const int fileStatus = traceFile(tracer, path);
    if (fileStatus > status) status = fileStatus;
  }
  zurcoreDestroyEnv(env);
  return written(status);
}

}  // namespace
}  // namespace zurtrace

int toolMain(const std::vector<std::string> &args) {
  try {
    return zurtrace::run(args);
  } catch (const std::bad_alloc &) {
    zurtrace::complain("out of memory");
    return zurtrace::UNUSABLE;
  }
}
