// zurtrace: traces BER/DER files (binary or PEM) as the library's tag/length
// trees with values, for people who reach for dumpasn1.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mapped_file.h"
#include "tracer.h"
#include "zurbase/zurbase.h"
#include "zurbase/zurcore.h"

namespace zurtrace {
namespace {

constexpr const char *kVersion = "zurtrace 1.0";
constexpr const char *kUsage =
    "usage: zurtrace [options] [FILE...]\n"
    "Traces BER or DER encodings as tag/length trees with values. A FILE is\n"
    "binary, or PEM text (every block of a bundle is traced). No FILE, or -,\n"
    "reads standard input.\n"
    "\n"
    "  --no-values      tags and lengths only\n"
    "  --hex            a hexadecimal dump of each encoding before its trace\n"
    "  --max-depth N    skip elements nested deeper than N (default 64, the\n"
    "                   outermost element is at depth 0); the first one\n"
    "                   skipped is reported\n"
    "  -h, --help       this help\n"
    "  --version        the version\n"
    "\n"
    "Exit status: 0 when every input was well formed, 1 when one was\n"
    "malformed, 2 for a usage error or a file that cannot be read.\n";

// Largest --max-depth. Lines stop indenting at depth 100 whatever the limit.
constexpr long kDepthCeiling = 100000;

// Returns UNUSABLE after a usage error, else -1 and the options.
int parseOptions(int argc, char **argv, Options &options) {
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnd || arg == "-" || arg.empty() || arg[0] != '-') {
      options.files.push_back(argv[i]);
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
    } else if (arg == "--max-depth" || arg.starts_with("--max-depth=")) {
      const char *value = arg == "--max-depth" ? (i + 1 < argc ? argv[++i] : nullptr)
                                                : argv[i] + std::strlen("--max-depth=");
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

int traceFile(Tracer &tracer, const char *path) {
  const bool standardInput = std::strcmp(path, "-") == 0;
  const std::string name = standardInput ? "standard input" : path;
  zur::platform::InputFile file;
  const std::string error = zur::platform::openInput(standardInput ? nullptr : path, file);
  if (!error.empty()) {
    complain(name + ": " + error);
    zur::platform::closeInput(file);
    return UNUSABLE;
  }
  const int status = tracer.input(name, file);
  zur::platform::closeInput(file);
  return status;
}

int run(int argc, char **argv) {
  Options options;
  if (int status = parseOptions(argc, argv, options); status >= 0) return status;
  zur::platform::setBinaryStandardInput();
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr) {
    complain("out of memory");
    return UNUSABLE;
  }
  reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(env, RULES_BER);
  Tracer tracer(env, options);
  int status = WELL_FORMED;
  for (const char *path : options.files) {
    if (options.files.size() > 1) tracer.text(std::string("file ") + path + ":\n");
    const int fileStatus = traceFile(tracer, path);
    if (fileStatus > status) status = fileStatus;
  }
  zurcoreDestroyEnv(env);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "zurtrace: writing the trace: %s\n", std::strerror(errno));
    return UNUSABLE;
  }
  return status;
}

}  // namespace
}  // namespace zurtrace

int main(int argc, char **argv) {
  // The trace leaves in many small pieces; a large buffer keeps writes few.
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  zur::platform::unlockStandardOutput();
  return zurtrace::run(argc, argv);
}
