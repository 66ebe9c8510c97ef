#include "tracer.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "pem.h"
#include "standard_streams.h"
#include "zurbase/zurcore.h"

namespace zurtrace {
namespace {

// apiPrintHex takes 32-bit lengths; whole lines of 32 octets per call keep
// the dump's layout across calls, and the pages behind each call are given
// back.
constexpr uint64_t kHexChunk = uint64_t{1} << 24;

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

// Called each megabyte of the walk; the file is null for a PEM block.
void passed(void *file, uint64_t offset) {
  stopIfOutputFailed();
  if (file != nullptr) zur::platform::releaseBefore(*static_cast<zur::platform::InputFile *>(file), offset);
}

}  // namespace

void complain(const std::string &text) {
  std::fflush(stdout);
  std::fprintf(stderr, "zurtrace: %s\n", text.c_str());
  std::fflush(stderr);
}

bool outputFailed() { return zur::platform::outputFailed("zurtrace: writing the trace"); }

void stopIfOutputFailed() {
  if (outputFailed()) std::exit(UNUSABLE);
}

int Tracer::input(const std::string &name, zur::platform::InputFile &file) {
  if (!looksLikePem(file.data, file.size)) return encoding(name, file.data, file.size, &file);
  int status = WELL_FORMED;
  PemReader reader(file.data, file.size);
  PemBlock block;
  for (int number = 1; reader.next(block); ++number) {
    stopIfOutputFailed();
    zur::platform::releaseBefore(file, reader.position());
    const std::string where = name + ": PEM block " + std::to_string(number);
    text("PEM block " + std::to_string(number) + ": " + block.label + "\n");
    if (!block.error.empty()) {
      complain(where + " (" + block.label + "): " + block.error);
      status = MALFORMED;
      continue;
    }
    const int blockStatus = encoding(where, block.octets.data(), block.octets.size(), nullptr);
    if (blockStatus > status) status = blockStatus;
  }
  return status;
}

void Tracer::text(const std::string &line) {
  // Written through the event, whose room lies behind TraceRec.text.
  char *room = reinterpret_cast<char *>(&event_) + offsetof(TraceRec, text);
  const std::size_t size = sizeof event_ - offsetof(TraceRec, text);
  for (std::size_t done = 0; done < line.size();) {
    const std::size_t piece = std::min(line.size() - done, size - 1);
    event_.rec = TraceRec{};
    event_.rec.eventKind = TRACE_TEXT;
    line.copy(room, piece, done);
    room[piece] = '\0';
    entry<ApiTraceEncodingFn>(SLOT_TRACE_ENCODING)(env_, &event_.rec, 0);
    done += piece;
  }
}

int Tracer::encoding(const std::string &name, const unsigned char *data, uint64_t size,
                     zur::platform::InputFile *mapped) {
  if (options_.hex) {
    for (uint64_t done = 0; done < size; done += kHexChunk) {
      const uint64_t n = size - done < kHexChunk ? size - done : kHexChunk;
      entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env_, data + done, static_cast<int32_t>(n));
      stopIfOutputFailed();
      if (mapped != nullptr) zur::platform::releaseBefore(*mapped, done + n);
    }
  }
  ZurcoreTraceOptions trace{options_.values ? 1 : 0, options_.maxDepth, nullptr, nullptr,
                            options_.offsets ? 1 : 0, options_.oidName, options_.oidContext};
  trace.passed = passed;
  trace.context = mapped;
  if (mapped != nullptr) zur::platform::releaseBefore(*mapped, 0);  // the walk reads from the start again
  uint64_t fault = 0;
  if (zurcoreTraceBer(env_, data, size, &trace, &fault) == 0) return WELL_FORMED;
  std::string row = entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env_);
  while (!row.empty() && row.back() == '\n') row.pop_back();
  complain(name + ": malformed at offset " + std::to_string(fault) + ": " + row);
  return MALFORMED;
}

}  // namespace zurtrace
