// Saving the trace: the file-name dialog and the copy of the store's
// temporary file into the named file, in chunks, with the window kept alive
// between them.
#include <algorithm>
#include <cstdio>

#include "library/entry_points.h"
#include "platform/crt_files.h"
#include "tracewin/trace_resources.h"
#include "tracewin/trace_store.h"
#include "tracewin/trace_view.h"
#include "tracewin/trace_window.h"

namespace zur::tracewin {
namespace {

using platform::crtFiles;

constexpr int kChunkSize = 10000;
constexpr int kFileNameSize = sizeof traceView.fileName;

// The saved file ends its lines with CR LF. The Windows run-time's text mode
// writes each line feed that way; where there is no text mode the copy adds
// the carriage returns itself.
#ifdef _WIN32
constexpr bool kTextModeAddsCarriageReturns = true;
#else
constexpr bool kTextModeAddsCarriageReturns = false;
#endif

// Writes count bytes of text; answers count, or a negative value on failure.
int writeText(int fd, const char *data, int count) {
  if (kTextModeAddsCarriageReturns) return crtFiles.write(fd, data, count);
  char lines[2 * kChunkSize];
  int length = 0;
  for (int i = 0; i < count; ++i) {
    if (data[i] == '\n') lines[length++] = '\r';
    lines[length++] = data[i];
  }
  const int written = crtFiles.write(fd, lines, length);
  return written == length ? count : -1;
}

// What identifies the store's content at the start of a save. A reset or a
// destruction during a pump closes the stream; a new one may reuse the old
// stream's address, so the index is compared as well.
struct StoreMark {
  FILE *file;
  LineBlock *first;
  int32_t lineCount;

  bool stillHolds(const TraceStore &s) const {
    return s.tmpFile == file && s.firstBlock == first && s.lineCount >= lineCount;
  }
};

const int kSaveEntries[] = {0, 2, 3};  // "&Enregistrer sous...", separator, "&Quitter"

}  // namespace

INT_PTR CALLBACK enterDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    SendDlgItemMessageA(dialog, kFileNameField, EM_LIMITTEXT, kFileNameSize - 1, 0);
    return TRUE;
  }
  if (msg == WM_COMMAND && wParam == IDOK) {
    GetDlgItemTextA(dialog, kFileNameField, traceView.fileName, kFileNameSize);
    EndDialog(dialog, 1);
    return TRUE;
  }
  if (msg == WM_COMMAND && wParam == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

void runSaveCommand(HWND wnd) {
  TraceView &v = traceView;
  if (v.cachedFirst == nullptr) {
    MessageBeep(0xFFFFFFFF);
    MessageBoxA(wnd, "No Trace Info Available", "Warning", MB_OK);
    return;
  }
  v.frozen = true;
  setFileMenuGrey(wnd, kSaveEntries, 3, true);
  const INT_PTR answer =
      DialogBoxParamA(v.instance, kEnterDialogName, wnd, enterDlgProc, 0);
  if (answer == -1)
    showErrorBox(wnd, "Cannot Create a Dialog Box");
  else if (answer != 0)
    apiSaveTrace(traceWindowEnv(), wnd, v.fileName);
  setFileMenuGrey(wnd, kSaveEntries, 3, false);
  traceView.frozen = false;
}

}  // namespace zur::tracewin

namespace zur {

void apiSaveTrace(Env *env, void *ownerWnd, const char *fileName) {
  using namespace tracewin;
  HWND owner = static_cast<HWND>(ownerWnd);
  if (env == nullptr) return;
  const TraceStore &store = env->trace;
  const StoreMark mark{store.tmpFile, store.firstBlock, store.lineCount};
  if (mark.file == nullptr) {
    showErrorBox(owner, "Cannot Read Tracing Info Temporary File");
    return;
  }
  const int source = crtFiles.fileno(mark.file);
  long readPos = 0;
  char *buffer = static_cast<char *>(env->memAlloc(kChunkSize));
  if (buffer == nullptr) {
    showErrorBox(owner, "Cannot Allocate Memory");
    return;
  }
  FILE *out = crtFiles.fopen(fileName, "wt");
  if (out == nullptr) {
    std::snprintf(buffer, kChunkSize, "Cannot Open Output File: %s", fileName);
    showErrorBox(owner, buffer);
    env->memFree(buffer);
    return;
  }
  long remaining = crtFiles.filelength(source);
  while (remaining > 0) {
    crtFiles.lseek(source, readPos, SEEK_SET);
    const int count = static_cast<int>(std::min<long>(remaining, kChunkSize));
    const int got = crtFiles.read(source, buffer, count);
    if (got < 0) {
      showErrorBox(owner, "Cannot Read Tracing Info Temporary File");
      break;
    }
    if (got == kChunkSize) readPos += kChunkSize;
    // Only the bytes read go out: a short read must not copy stale buffer text.
    if (writeText(crtFiles.fileno(out), buffer, got) < 0) {
      std::snprintf(buffer, kChunkSize, "Cannot Write Output File: %s", fileName);
      showErrorBox(owner, buffer);
      break;
    }
    std::fflush(out);
    remaining -= kChunkSize;
    repaintAndDispatch(owner);
    if (!mark.stillHolds(env->trace)) break;
  }
  if (remaining <= 0) {
    std::snprintf(buffer, kChunkSize, "File %s Was Successfully Written", fileName);
    MessageBoxA(owner, buffer, "Info", MB_ICONASTERISK);
  }
  crtFiles.fclose(out);
  env->memFree(buffer);
}

}  // namespace zur
