// The trace window's display state and procedures. There is one trace
// window per process, so the state is one process-wide record.
#ifndef ZURBASE_TRACEWIN_TRACE_VIEW_H
#define ZURBASE_TRACEWIN_TRACE_VIEW_H

#include <cstdio>

#include "platform/window_system.h"
#include "tracewin/trace_window.h"
#include "zurbase/env.h"

namespace zur::tracewin {

struct TraceView {
  TraceStore *store;     // the store shown; bound by the first pump's paint
  HINSTANCE instance;    // module of the dialogs and the window class
  int charWidth;         // average character width of the default font
  int lineHeight;        // font height plus external leading
  int clientHeight;      // from the last WM_SIZE
  int topLine;           // vertical scroll position: line drawn at the top
  int vertMax;           // end of the vertical range: the store's lineCount
  int leftCol;           // horizontal scroll position, in characters
  int horzMax;           // longest line drawn so far, in characters
  int paintedCount;      // lineCount as last seen growing
  FILE *cachedFile;      // the store's tmpFile as last taken
  LineBlock *cachedFirst;  // the store's firstBlock as last taken
  bool frozen;           // painting suspended until something changes
  bool idle;             // the last drawing paint found no new lines
  bool closeAsked;       // a close was refused while a run seemed active
  char fileName[16];     // output name typed in the save dialog
};

extern TraceView traceView;

// A fresh view for a window about to be created: it binds at its first pump
// to the store of the Env that opened it, never to an earlier Env's store,
// which may be released by then.
void resetTraceView();

INT_PTR CALLBACK aboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK enterDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The window's "&Enregistrer sous..." command: asks for a name and saves.
void runSaveCommand(HWND wnd);

// Greys (or enables) the given positions of the "&Fichier" menu.
void setFileMenuGrey(HWND wnd, const int *positions, int count, bool grey);

}  // namespace zur::tracewin

#endif
