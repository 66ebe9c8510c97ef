// Inside the print guard: the list of threads that are printing, each with
// its Env, so that the memory-violation handler can find the print of the
// faulting thread. Changes are serialised between the user's processes by the
// named mutex "globlist". Only print_guard.cpp and its tests use it.
#ifndef ZURBASE_PRINTER_REGISTRATION_LIST_H
#define ZURBASE_PRINTER_REGISTRATION_LIST_H

#include "zurbase/env.h"

namespace zur {

// One registration, owned by its caller (the print driver keeps it in its
// frame for one print). backLink is the address of the word that points to
// this record: the list head or the next word of the record before it.
struct RegRecord {
  RegRecord *next;
  RegRecord **backLink;
  ApiWord processId;
  ApiWord threadId;
  Env *value;
};
ZURBASE_ASSERT_SIZE(RegRecord, 20);

// The newest registration of this process, null at load.
extern RegRecord *regListHead;

inline constexpr const char *kRegListMutexName = "globlist";
inline constexpr unsigned kRegListWaitMs = 5000;

// Without locking: a non-null value registers the calling thread with it in
// *record, at the front of the list; a null value removes the calling
// thread's newest record (record is not used). Returns 1.
int editRegList(Env *value, RegRecord *record, RegRecord **head) noexcept;

// The same change under the mutex, waited for at most 5000 ms. Returns 1
// when it was made, 0 when the mutex could not be created, acquired (time-out,
// abandoned, failure), released or closed.
int updateRegistration(Env *value, RegRecord *record, RegRecord **head) noexcept;

// The Env registered for the calling thread (its newest record), or null.
// Called from the fault handler: takes only the process-local edit lock,
// which a thread inside its print never holds.
Env *registeredEnv(RegRecord *const *head) noexcept;

// Takes record out of the list, without locking, when it is still in it.
void unlinkRecord(RegRecord *record, RegRecord **head) noexcept;

}  // namespace zur

#endif
