// Trapping memory violations during a print and leaving it by a non-local
// jump. A jump point is set with ZUR_SET_JUMP_POINT in the frame that is left
// to; on POSIX it keeps the signal mask, so that a violation caught once is
// caught again.
#ifndef ZURBASE_PLATFORM_FAULT_TRAP_H
#define ZURBASE_PLATFORM_FAULT_TRAP_H

#include <setjmp.h>

namespace zur::platform {

#ifdef _WIN32
using JumpBuffer = jmp_buf;
#define ZUR_SET_JUMP_POINT(buffer) setjmp(buffer)
#else
using JumpBuffer = sigjmp_buf;
#define ZUR_SET_JUMP_POINT(buffer) sigsetjmp(buffer, 1)
#endif

using FaultHandler = void (*)(int signal);

// Makes `handler` receive the memory violations of the calling thread until
// the matching restoreFaultHandler. When the handler returns (the thread is
// not printing), the violation takes the course it would have taken without
// it. The handler is process-wide: the first of
// several overlapping guarded prints installs it, keeping what was there
// before, and the last one puts that back. On POSIX the handler runs on an
// alternate stack, so that a stack overflow reaches it too (SIGSEGV and
// SIGBUS). On Windows it is the C run-time's SIGSEGV handler and, so that it
// sees every access violation on every thread, also a vectored exception
// handler.
void installFaultHandler(FaultHandler handler) noexcept;
void restoreFaultHandler() noexcept;

// Returns to the jump point kept in *buffer (a JumpBuffer), where
// ZUR_SET_JUMP_POINT then yields value.
[[noreturn]] void jumpToPoint(void *buffer, int value) noexcept;

namespace detail {
// Per platform: the process-wide part of installing and restoring, and what
// each guarded thread needs.
void installHandlers(FaultHandler handler) noexcept;
void restoreHandlers() noexcept;
void prepareThread() noexcept;
// The lock around the count of guarded prints (the system's own, so that the
// shipped library needs no threads library of the toolchain).
void lockCount() noexcept;
void unlockCount() noexcept;
}  // namespace detail

}  // namespace zur::platform

#endif
