#include "printer/registration_list.h"

#include <atomic>

#include "platform/named_mutex.h"
#include "platform/process_ids.h"

namespace zur {

RegRecord *regListHead = nullptr;

namespace {

// Threads of this process edit the list one at a time, also when a record
// whose removal failed is unlinked without the "globlist" mutex. Edits are
// a few pointer writes, so a spin lock suffices and needs no threads library.
std::atomic_flag listEdit = ATOMIC_FLAG_INIT;

class ListEditLock {
 public:
  ListEditLock() {
    while (listEdit.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~ListEditLock() { listEdit.clear(std::memory_order_release); }
  ListEditLock(const ListEditLock &) = delete;
  ListEditLock &operator=(const ListEditLock &) = delete;
};

// The handler walks the list on another thread than the one editing it, so
// link words are read and written atomically, and a record is complete
// before it becomes reachable.
RegRecord *loadLink(RegRecord *const &word) {
  return std::atomic_ref<RegRecord *>(const_cast<RegRecord *&>(word))
      .load(std::memory_order_acquire);
}

void storeLink(RegRecord *&word, RegRecord *value) {
  std::atomic_ref<RegRecord *>(word).store(value, std::memory_order_release);
}

void unlink(RegRecord *record) {
  RegRecord *next = record->next;
  storeLink(*record->backLink, next);
  if (next != nullptr) next->backLink = record->backLink;
}

bool isCallers(const RegRecord *record, ApiWord processId, ApiWord threadId) {
  return record->processId == processId && record->threadId == threadId;
}

}  // namespace

int editRegList(Env *value, RegRecord *record, RegRecord **head) noexcept {
  const ApiWord processId = platform::currentProcessId();
  const ApiWord threadId = platform::currentThreadId();
  if (value != nullptr) {
    RegRecord *first = *head;
    record->backLink = head;
    record->next = first;
    record->processId = processId;
    record->threadId = threadId;
    record->value = value;
    if (first != nullptr) first->backLink = &record->next;
    storeLink(*head, record);
    return 1;
  }
  for (RegRecord *r = *head; r != nullptr; r = r->next) {
    if (isCallers(r, processId, threadId)) {
      unlink(r);
      break;
    }
  }
  return 1;
}

int updateRegistration(Env *value, RegRecord *record, RegRecord **head) noexcept {
  platform::NamedMutex mutex;
  if (!mutex.open(kRegListMutexName)) return 0;
  if (mutex.wait(kRegListWaitMs) != platform::MutexWait::Acquired) {
    mutex.close();
    return 0;
  }
  {
    const ListEditLock edit;
    editRegList(value, record, head);
  }
  const bool released = mutex.release();
  const bool closed = mutex.close();
  return released && closed ? 1 : 0;
}

Env *registeredEnv(RegRecord *const *head) noexcept {
  const ApiWord processId = platform::currentProcessId();
  const ApiWord threadId = platform::currentThreadId();
  // A record lives in the frame of its print: once another thread has
  // unlinked it and returned, its link word is stack garbage. Walking under
  // the edit lock keeps every record reached alive. The faulting thread is
  // inside its print, never inside an edit, so it cannot hold the lock here.
  const ListEditLock edit;
  for (RegRecord *r = loadLink(*head); r != nullptr; r = loadLink(r->next))
    if (isCallers(r, processId, threadId)) return r->value;
  return nullptr;
}

void unlinkRecord(RegRecord *record, RegRecord **head) noexcept {
  const ListEditLock edit;
  for (RegRecord *r = *head; r != nullptr; r = r->next) {
    if (r == record) {
      unlink(r);
      return;
    }
  }
}

}  // namespace zur
