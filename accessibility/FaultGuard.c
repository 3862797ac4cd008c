// The x64 __try1/__except1 macros of mingw emit a scope-table entry for
// __C_specific_handler: a fault between them runs faultFilter, and when it answers
// EXCEPTION_EXECUTE_HANDLER the stack is unwound to the label after the call. The
// labels are fixed names, so this file may use the pair only once.
#include "accessibility/FaultGuard.h"

#include <excpt.h>

__attribute__((used)) static LONG faultFilter(EXCEPTION_POINTERS* pointers, void* frame) {
  (void)pointers;
  (void)frame;
  return EXCEPTION_EXECUTE_HANDLER;
}

__attribute__((noinline)) int tavruneCallWithFaultGuard(TavruneGuardedCall call, void* context,
                                                       LRESULT* result) {
  // Only memory survives the unwind: after a fault the volatile registers are garbage.
  volatile int completed = 0;
  volatile LRESULT value = 0;
  __try1(faultFilter)
  __asm__ __volatile__("" ::: "memory");
  value = call(context);
  completed = 1;
  __asm__ __volatile__("" ::: "memory");
  __except1
  __asm__ __volatile__("" ::: "memory");
  if (completed && result) *result = value;
  return completed;
}
