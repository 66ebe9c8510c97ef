// zurtrace: traces BER/DER files (binary or PEM) as the library's tag/length
// trees with values, for people who reach for dumpasn1.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mapped_file.h"
#include "pem.h"
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

enum ExitStatus { WELL_FORMED = 0, MALFORMED = 1, UNUSABLE = 2 };

// Largest --max-depth: the indentation of a line grows with depth.
constexpr long kDepthCeiling = 100000;
// apiPrintHex takes 32-bit lengths; whole lines of 32 octets per call keep
// the dump's layout across calls.
constexpr uint64_t kHexChunk = uint64_t{1} << 30;

struct Options {
  bool values = true;
  bool hex = false;
  int32_t maxDepth = 64;
  std::vector<const char *> files;
};

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

// One-line complaint on standard error, after what the trace printed so far.
void complain(const std::string &text) {
  std::fflush(stdout);
  std::fprintf(stderr, "zurtrace: %s\n", text.c_str());
}

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

class Tracer {
 public:
  Tracer(Env *env, const Options &options) : env_(env), options_(options) {}

  // Traces one input, binary or PEM; returns its exit status.
  int input(const std::string &name, const unsigned char *data, uint64_t size) {
    if (!looksLikePem(data, size)) return encoding(name, data, size);
    int status = WELL_FORMED;
    PemReader reader(data, size);
    PemBlock block;
    for (int number = 1; reader.next(block); ++number) {
      const std::string where = name + ": PEM block " + std::to_string(number);
      text(("PEM block " + std::to_string(number) + ": " + block.label + "\n").c_str());
      if (!block.error.empty()) {
        complain(where + " (" + block.label + "): " + block.error);
        status = MALFORMED;
        continue;
      }
      const int blockStatus = encoding(where, block.octets.data(), block.octets.size());
      if (blockStatus > status) status = blockStatus;
    }
    return status;
  }

  // Free text through the library's trace, so it goes where the trace goes.
  void text(const char *line) {
    event_.rec = TraceRec{};
    event_.rec.eventKind = TRACE_TEXT;
    std::snprintf(event_.rec.text, sizeof event_.room + 1, "%s", line);
    entry<ApiTraceEncodingFn>(SLOT_TRACE_ENCODING)(env_, &event_.rec, 0);
  }

 private:
  int encoding(const std::string &name, const unsigned char *data, uint64_t size) {
    if (options_.hex) {
      for (uint64_t done = 0; done < size; done += kHexChunk) {
        const uint64_t n = size - done < kHexChunk ? size - done : kHexChunk;
        entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env_, data + done, static_cast<int32_t>(n));
      }
    }
    const ZurcoreTraceOptions trace{options_.values ? 1 : 0, options_.maxDepth};
    uint64_t fault = 0;
    if (zurcoreTraceBer(env_, data, size, &trace, &fault) == 0) return WELL_FORMED;
    std::string row = entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env_);
    while (!row.empty() && row.back() == '\n') row.pop_back();
    complain(name + ": malformed at offset " + std::to_string(fault) + ": " + row);
    return MALFORMED;
  }

  Env *env_;
  const Options &options_;
  struct {
    TraceRec rec;
    char room[512];
  } event_{};
};

// Standard input that is not a regular file (a pipe, a terminal) is read
// whole: it cannot be mapped.
std::string readAll(std::FILE *stream, std::vector<unsigned char> &out) {
  unsigned char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, stream)) > 0) out.insert(out.end(), buf, buf + n);
  return std::ferror(stream) ? std::strerror(errno) : std::string();
}

int traceFile(Tracer &tracer, const char *path) {
  namespace platform = zur::platform;
  const bool standardInput = std::strcmp(path, "-") == 0;
  const std::string name = standardInput ? "standard input" : path;
  platform::MappedFile file;
  std::string error;
  if (standardInput && !platform::mapStandardInput(file, error)) {
    std::vector<unsigned char> octets;
    error = readAll(stdin, octets);
    if (!error.empty()) {
      complain(name + ": " + error);
      return UNUSABLE;
    }
    return tracer.input(name, octets.data(), octets.size());
  }
  if (!standardInput) error = platform::mapFile(path, file);
  if (!error.empty()) {
    complain(name + ": " + error);
    return UNUSABLE;
  }
  const int status = tracer.input(name, file.data, file.size);
  platform::unmapFile(file);
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
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  Tracer tracer(env, options);
  int status = WELL_FORMED;
  for (const char *path : options.files) {
    if (options.files.size() > 1) tracer.text((std::string("file ") + path + ":\n").c_str());
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
