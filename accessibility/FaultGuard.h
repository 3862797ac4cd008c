#pragma once
// Runs one call inside a structured-exception guard, so a machine fault raised in a
// system call (an access violation in UI Automation, say) is caught instead of ending
// the program. g++ has no __try; the guard lives in FaultGuard.c.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef LRESULT (*TavruneGuardedCall)(void* context);

// 1 when the call returned (its result stored in *result), 0 when a fault was caught.
int tavruneCallWithFaultGuard(TavruneGuardedCall call, void* context, LRESULT* result);

#ifdef __cplusplus
}
#endif
