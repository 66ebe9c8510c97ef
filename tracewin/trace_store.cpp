// The trace store: text that reaches the print sink goes unchanged into a
// temporary file, and an index of 200-line blocks records where each line
// starts and how long it is. All file access is at descriptor level, so what
// is written is at once visible to a read-back.
#include "tracewin/trace_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "library/entry_points.h"
#include "frame/word_format.h"
#include "platform/crt_files.h"
#include "platform/window_system.h"
#include "tracewin/trace_resources.h"
#include "tracewin/trace_window.h"
#include "zurbase/status.h"

namespace zur {
namespace tracewin {
namespace {

constexpr int kLinesPerBlock = ZURBASE_LINES_PER_BLOCK;
// Line lengths are 16-bit fields: a longer line keeps this length, and the
// read-back, which never reads more than its buffer, still shows its start.
constexpr int kMaxStoredLength = INT16_MAX;
constexpr char kTabSpaces[] = "        ";
constexpr int kTabWidth = sizeof kTabSpaces - 1;

constexpr const char *kErrorCaption = "Error";
constexpr const char *kNoTempFile = "Unable To Open a Temporary File";
constexpr const char *kWriteFailed = "Error Writing a Temporary File";
constexpr const char *kNoMemory = "Unable To Alocate a Memory Block";
constexpr const char *kReadFailed = "Cannot Read Temporary File";

Env *currentEnv = nullptr;
Env *windowEnv = nullptr;
char blankLine[kBlankLineLength];

HWND windowOf(const TraceStore &ts) { return static_cast<HWND>(ts.traceWnd); }


// tmpfile() first; where that fails, a named file that a reset removes.
std::FILE *openStoreFile(TraceStore &ts) {
  auto &crt = platform::crtFiles;
  if (std::FILE *file = crt.tmpfile()) return file;
  if (crt.tmpnam(ts.tmpName) == nullptr) return nullptr;
  return crt.fopen(ts.tmpName, "w+b");
}

std::int16_t addLength(std::int16_t length, int more) {
  return static_cast<std::int16_t>(std::min(kMaxStoredLength, length + more));
}

void freeBlock(Env *env, LineBlock *block) {
  if (block->offsets != nullptr) env->memFree(block->offsets);
  if (block->lengths != nullptr) env->memFree(block->lengths);
  env->memFree(block);
}

// A block and its two arrays, zeroed; null when any allocation fails, with
// nothing left allocated.
LineBlock *newBlock(Env *env, LineBlock *prev, std::int16_t blockNo) {
  auto *block = static_cast<LineBlock *>(env->memAlloc(sizeof(LineBlock)));
  if (block == nullptr) return nullptr;
  std::memset(block, 0, sizeof *block);
  block->prevBlock = prev;
  block->blockNo = blockNo;
  block->offsets =
      static_cast<std::int32_t *>(env->memAlloc(kLinesPerBlock * sizeof(std::int32_t)));
  block->lengths =
      static_cast<std::int16_t *>(env->memAlloc(kLinesPerBlock * sizeof(std::int16_t)));
  if (block->offsets == nullptr || block->lengths == nullptr) {
    freeBlock(env, block);
    return nullptr;
  }
  std::memset(block->offsets, 0, kLinesPerBlock * sizeof(std::int32_t));
  std::memset(block->lengths, 0, kLinesPerBlock * sizeof(std::int16_t));
  return block;
}

// Indexes a new line starting at offset; false (after the message box) when
// memory runs out, with the index as it was.
bool addEntry(Env *env, std::int32_t offset) {
  TraceStore &ts = env->trace;
  HWND wnd = windowOf(ts);
  if (ts.lastBlock == nullptr) {
    LineBlock *block = newBlock(env, nullptr, 0);
    if (block == nullptr) {
      showErrorBox(wnd, kNoMemory);
      return false;
    }
    block->offsets[0] = offset;
    ts.firstBlock = ts.lastBlock = block;
    ts.lastBlockNo = 0;
    ts.lineCount = 1;
    return true;
  }
  if (kLinesPerBlock * (ts.lastBlockNo + 1) <= ts.lineCount) {
    // Block numbers are 16-bit: past the last one the index is full.
    LineBlock *block =
        ts.lastBlockNo < INT16_MAX
            ? newBlock(env, ts.lastBlock, static_cast<std::int16_t>(ts.lastBlockNo + 1))
            : nullptr;
    if (block == nullptr) {
      showErrorBox(wnd, kNoMemory);
      return false;
    }
    ts.lastBlock->nextBlock = block;
    ts.lastBlock = block;
    ts.lastBlockNo = block->blockNo;
  }
  ts.lastBlock->offsets[ts.lineCount - kLinesPerBlock * ts.lastBlockNo] = offset;
  ++ts.lineCount;
  SetScrollRange(wnd, SB_VERT, 0, ts.lineCount, FALSE);
  return true;
}

// Appends at the end of the store's file; the write's result, with the
// file offset of the first byte in *offset.
int appendToFile(TraceStore &ts, const char *text, int length, std::int32_t *offset) {
  auto &crt = platform::crtFiles;
  int fd = crt.fileno(ts.tmpFile);
  crt.lseek(fd, 0, SEEK_END);
  *offset = static_cast<std::int32_t>(crt.tell(fd));
  int written = crt.write(fd, text, static_cast<unsigned>(length));
  if (written < 0 && ts.traceWnd != nullptr) showErrorBox(windowOf(ts), kWriteFailed);
  return written;
}

// Text of 1024 bytes or more is formatted again into a block of its own
// size, so that it is stored whole.
class FormattedText {
 public:
  FormattedText(Env *env, const char *format, const ApiWord *words) : env_(env) {
    length_ = formatWords(local_, sizeof local_, format, words);
    if (length_ < static_cast<int>(sizeof local_)) return;
    heap_ = static_cast<char *>(env->memAlloc(static_cast<std::uint32_t>(length_) + 1));
    if (heap_ != nullptr) formatWords(heap_, static_cast<std::size_t>(length_) + 1, format, words);
  }
  ~FormattedText() {
    if (heap_ != nullptr) env_->memFree(heap_);
  }
  FormattedText(const FormattedText &) = delete;
  FormattedText &operator=(const FormattedText &) = delete;
  int length() const { return length_; }
  // Null when the long text found no memory.
  const char *data() const { return length_ < static_cast<int>(sizeof local_) ? local_ : heap_; }

 private:
  Env *env_;
  int length_;
  char *heap_ = nullptr;
  char local_[kLineBufferSize];
};

// Each run of tabs becomes eight spaces, one leading run too, and trailing
// tabs vanish; the output stays below kLineBufferSize. The pieces are found
// without strtok, whose hidden position the application may be using in the
// very call that prints.
void expandTabs(const char *line, char *out) {
  int n = 0;
  if (line[0] == '\t') {
    std::memcpy(out, kTabSpaces, kTabWidth);
    n = kTabWidth;
  }
  bool anyPiece = false;
  for (const char *p = line + std::strspn(line, "\t"); *p != '\0'; p += std::strspn(p, "\t")) {
    int length = static_cast<int>(std::strcspn(p, "\t"));
    if (anyPiece) {
      if (n + kTabWidth >= kLineBufferSize) break;
      std::memcpy(out + n, kTabSpaces, kTabWidth);
      n += kTabWidth;
    }
    anyPiece = true;
    if (n + length >= kLineBufferSize) break;
    std::memcpy(out + n, p, static_cast<std::size_t>(length));
    n += length;
    p += length;
  }
  if (!anyPiece) {
    std::strcpy(out, line);
    return;
  }
  out[n] = '\0';
}

}  // namespace

void showErrorBox(void *owner, const char *text) {
  MessageBoxA(static_cast<HWND>(owner), text, kErrorCaption, MB_OK | MB_ICONHAND);
}

Env *currentTraceEnv() { return currentEnv; }
Env *traceWindowEnv() { return windowEnv; }

void adoptTraceWindow(void *wnd) {
  windowEnv = currentEnv;
  windowEnv->trace.traceWnd = wnd;
}

void releaseTraceWindow() { windowEnv = nullptr; }
const char *traceBlankLine() { return blankLine; }

}  // namespace tracewin

using namespace tracewin;

int apiOpenTraceWindow(Env *env) {
  if (env == nullptr) return ZURBASE_STATUS_TRACE_EXISTS;
  currentEnv = env;
  TraceStore &ts = env->trace;
  // One window per process: its state is process-wide.
  if (ts.traceWnd != nullptr || ts.tmpFile != nullptr || windowEnv != nullptr) return ZURBASE_STATUS_TRACE_EXISTS;
  std::memset(blankLine, ' ', sizeof blankLine);
  HINSTANCE instance = GetModuleHandleA(kModuleName);
  HMENU menu = nullptr;
  registerTraceClass(instance, &menu);
  if (!createTraceWindow(instance, SW_SHOW, menu)) return ZURBASE_STATUS_TRACE_EXISTS;
  ts.tmpFile = openStoreFile(ts);
  if (ts.tmpFile == nullptr) {
    showErrorBox(windowOf(ts), kNoTempFile);
    ValidateRect(windowOf(ts), nullptr);
    return ZURBASE_STATUS_NO_TEMP_FILE;
  }
  return 0;
}

int apiTracePrint(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  if (env == nullptr) return 0;
  const ApiWord words[kPrintWords] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  TraceStore &ts = env->trace;
  if (ts.tmpFile == nullptr) {
    if (env->traceStream == nullptr) return 0;
    int result = formatWordsTo(env->traceStream, format, words);
    std::fflush(env->traceStream);
    return result;
  }
  FormattedText formatted(env, format, words);
  if (formatted.length() <= 0) return formatted.length();
  const char *text = formatted.data();
  if (text == nullptr) {
    showErrorBox(windowOf(ts), kNoMemory);
    return -1;
  }
  std::int32_t offset = 0;
  int written = appendToFile(ts, text, formatted.length(), &offset);
  if (written < 0 || ts.traceWnd == nullptr) return written;

  // Only bytes that reached the file are indexed, and only up to a NUL.
  int total = written, end = written, pos = 0;
  while (pos < end && text[pos] != '\0') {
    int stop = pos;
    while (stop < end && text[stop] != '\n' && text[stop] != '\0') ++stop;
    bool ended = stop < end && text[stop] == '\n';
    int length = stop - pos + (ended ? 1 : 0);
    if (ts.lineOpen && !ended) {
      ts.openLineLen = addLength(ts.openLineLen, length);
      break;
    }
    if (!ts.lineOpen && !addEntry(env, offset)) return -1;
    ts.lineOpen = ended ? 0 : 1;
    ts.openLineLen = addLength(ts.openLineLen, length);
    pos += length;
    offset += length;
    if (!ended) continue;

    ts.lastBlock->lengths[ts.lineCount - kLinesPerBlock * ts.lastBlockNo - 1] = ts.openLineLen;
    ts.openLineLen = 0;
    if (ts.tmpFile == nullptr) continue;
    // The pump may reset the store or destroy the window: the rest of the
    // text goes to the store as it is afterwards, or nowhere.
    std::FILE *file = ts.tmpFile;
    LineBlock *block = ts.lastBlock;
    std::int32_t count = ts.lineCount;
    pumpTraceWindow(env, windowOf(ts));
    if (ts.tmpFile == nullptr || ts.traceWnd == nullptr) return total;
    if (ts.tmpFile == file && ts.lastBlock == block && ts.lineCount == count) continue;
    if (pos >= end || text[pos] == '\0') break;
    int more = appendToFile(ts, text + pos, end - pos, &offset);
    if (more < 0) return more;
    total += more;
    end = pos + more;
  }
  return total;
}

int apiReadTraceLine(Env *, void *ownerWnd, std::FILE *stream, char *buffer, LineBlock *firstBlock,
                     std::int32_t line) {
  if (stream == nullptr || buffer == nullptr || firstBlock == nullptr || line < 0) return -1;
  LineBlock *block = firstBlock;
  while (block != nullptr && block->blockNo != line / kLinesPerBlock) block = block->nextBlock;
  if (block == nullptr) return -1;
  int entry = line - kLinesPerBlock * block->blockNo;
  int length = block->lengths[entry];
  // A complete line that fits loses its line feed; a longer one is cut to
  // the buffer, and the unfinished newest line (length 0) is whatever the
  // file holds of it so far.
  bool whole = length > 0 && length < kLineBufferSize;
  int wanted = whole ? length : kLineBufferSize - 1;

  auto &crt = platform::crtFiles;
  char raw[kLineBufferSize];
  int fd = crt.fileno(stream);
  crt.lseek(fd, block->offsets[entry], SEEK_SET);
  int got = crt.read(fd, raw, static_cast<unsigned>(wanted));
  if (got < 0) {
    showErrorBox(static_cast<HWND>(ownerWnd), kReadFailed);
    return got;
  }
  int textLength = got;
  if (whole) {
    textLength = std::max(got - 1, 0);
  } else if (const void *lf = std::memchr(raw, '\n', static_cast<std::size_t>(got))) {
    textLength = static_cast<int>(static_cast<const char *>(lf) - raw);
  }
  raw[textLength] = '\0';
  expandTabs(raw, buffer);
  return got;
}

void apiResetTrace(Env *env) {
  if (env == nullptr) return;
  TraceStore &ts = env->trace;
  auto &crt = platform::crtFiles;
  LineBlock *first = ts.firstBlock;
  if (ts.tmpFile != nullptr) {
    crt.fclose(ts.tmpFile);
    // Cleared once removed, so that a later reset cannot remove a file that
    // has since taken the same name.
    if (ts.tmpName[0] != '\0') crt.unlink(ts.tmpName);
    ts.tmpName[0] = '\0';
    ts.tmpFile = nullptr;
  }
  if (ts.traceWnd != nullptr) {
    ts.tmpFile = openStoreFile(ts);
    if (ts.tmpFile == nullptr) {
      showErrorBox(windowOf(ts), kNoTempFile);
      ValidateRect(windowOf(ts), nullptr);
    }
  }
  while (first != nullptr) {
    LineBlock *next = first->nextBlock;
    freeBlock(env, first);
    first = next;
  }
  ts.lineCount = 0;
  ts.lastBlock = nullptr;
  ts.firstBlock = nullptr;
  ts.openLineLen = 0;
  ts.lastBlockNo = 0;
  ts.lineOpen = 0;
}

}  // namespace zur
