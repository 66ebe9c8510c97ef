// The three lines of the trace window's about box. Both the Windows
// resource script and the headless platform's dialog take them from here.
#ifndef ZURBASE_TRACEWIN_TRACE_ABOUT_H
#define ZURBASE_TRACEWIN_TRACE_ABOUT_H

#define ZURBASE_VERSION_TEXT "1.0"
#define ZURBASE_ABOUT_LINE1 "Trace Info Window"
#define ZURBASE_ABOUT_LINE2 "zurbase"
#define ZURBASE_ABOUT_LINE3 "Version " ZURBASE_VERSION_TEXT

#endif
