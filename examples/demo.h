// The demo's sections, each showing one part of the library at work.
#ifndef ZURBASE_EXAMPLES_DEMO_H
#define ZURBASE_EXAMPLES_DEMO_H

#include <cstdio>
#include <memory>
#include <vector>

#include "zurasn1/zurasn1.h"
#include "zurbase/zurcore.h"

namespace demo {

// Typed access to an entry of the loaded library's table.
template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

// A print hook that prefixes every output line with "hook| ", showing that
// the library's text can be routed anywhere.
int prefixingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);

// The embedded default message: a short BER encoding.
const std::vector<unsigned char> &defaultEncoding();

void heading(const char *title);

void showHexDump(const std::vector<unsigned char> &octets);

// apiSetEncodingRules, apiEncode, apiDecode with a linked codec; a failure report.
void showCodecs();

// Decoded values printed in value notation.
void showValues();
// The X.690 personnel record in value notation, through the Env's output.
void printPersonnelRecord(Env *env);

// apiPrintPdu on a good value and on one with a bad pointer, which returns 14.
void showFaultSafePrint();

// The personnel record of X.690 decoded through its module compiled by
// zurasn1, with the codec's trace, printed, and encoded under DER.
void showTrace();
// That module compiled (null after its diagnostics on standard error), and
// the record decoded with the trace on into *value (freed with
// zurcoreFreeValue); the decoder's status.
std::unique_ptr<zurasn1::Compilation> personnelModule();
int decodePersonnelRecord(Env *env, const zurasn1::Compilation &compiled, void **value);

// The personnel record and its BER trace printed into the trace window's
// store through apiTracePrint as the print hook, then (where the window is
// headless) every stored line read back and shown; then the user's part at
// the window (actAtWindow), saving to saveAs when it is given. The exit
// status.
int showWindowTrace(const char *saveAs);

// Saves the trace through the window's save command under saveAs (when
// given) and closes the window, answering its dialog and message boxes; the
// headless window's canvas is printed first. Without saveAs the real window
// stays until the user closes it. The exit status.
int actAtWindow(Env *env, const char *saveAs);

}  // namespace demo

#endif
