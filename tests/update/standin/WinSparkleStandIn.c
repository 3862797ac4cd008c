/* A stand-in for the update framework's library with its sixteen published functions.
 * Every call is appended, one line each, to "winsparkle-calls.txt" beside the library.
 * A check fires all seven registered callbacks from a thread of its own, as the real
 * framework does; cleanup waits for that thread. With the environment variable
 * WINSPARKLE_STANDIN_REFUSE_KEY set the public key is refused. Built without
 * win_sparkle_init when STANDIN_WITHOUT_INIT is defined. */
#include <windows.h>

#include <stdio.h>

#define EXPORT __declspec(dllexport)

typedef int(__cdecl* int_callback)(void);
typedef void(__cdecl* void_callback)(void);
typedef int(__cdecl* installer_callback)(const wchar_t*);

static CRITICAL_SECTION lock;
static wchar_t record_path[MAX_PATH];
static HANDLE check_thread;
static int_callback can_shutdown;
static void_callback did_find, did_not_find, on_error, cancelled, dismissed;
static installer_callback run_installer;

static void record(const char* format, ...) {
  va_list args;
  FILE* file;
  EnterCriticalSection(&lock);
  file = _wfopen(record_path, L"ab");
  if (file) {
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputs("\n", file);
    fclose(file);
  }
  LeaveCriticalSection(&lock);
}

static void to_utf8(const wchar_t* text, char* out, int size) {
  out[0] = 0;
  if (text) WideCharToMultiByte(CP_UTF8, 0, text, -1, out, size, NULL, NULL);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    DWORD length = GetModuleFileNameW(instance, record_path, MAX_PATH);
    while (length > 0 && record_path[length - 1] != L'\\' && record_path[length - 1] != L'/') --length;
    record_path[length] = 0;
    wcscat(record_path, L"winsparkle-calls.txt");
    InitializeCriticalSection(&lock);
  } else if (reason == DLL_PROCESS_DETACH) {
    DeleteCriticalSection(&lock);
  }
  return TRUE;
}

static DWORD WINAPI fire_callbacks(LPVOID unused) {
  DWORD thread = GetCurrentThreadId();
  (void)unused;
  if (did_find) did_find();
  if (did_not_find) did_not_find();
  if (on_error) on_error();
  if (cancelled) cancelled();
  if (dismissed) dismissed();
  if (can_shutdown) record("callback can_shutdown=%d thread=%lu", can_shutdown(), thread);
  if (run_installer) record("callback run_installer=%d thread=%lu", run_installer(L"C:\\更新\\setup.exe"), thread);
  return 0;
}

static void start_check(const char* name) {
  if (check_thread) {
    WaitForSingleObject(check_thread, INFINITE);
    CloseHandle(check_thread);
  }
  record("%s caller=%lu", name, GetCurrentThreadId());
  check_thread = CreateThread(NULL, 0, fire_callbacks, NULL, 0, NULL);
}

#ifndef STANDIN_WITHOUT_INIT
EXPORT void __cdecl win_sparkle_init(void) { record("init"); }
#endif

EXPORT void __cdecl win_sparkle_cleanup(void) {
  if (check_thread) {
    WaitForSingleObject(check_thread, INFINITE);
    CloseHandle(check_thread);
    check_thread = NULL;
  }
  record("cleanup");
}

EXPORT void __cdecl win_sparkle_set_appcast_url(const char* url) { record("set_appcast_url %s", url); }

EXPORT void __cdecl win_sparkle_set_app_details(const wchar_t* company, const wchar_t* app, const wchar_t* version) {
  char a[256], b[256], c[256];
  to_utf8(company, a, sizeof a);
  to_utf8(app, b, sizeof b);
  to_utf8(version, c, sizeof c);
  record("set_app_details %s|%s|%s", a, b, c);
}

EXPORT int __cdecl win_sparkle_set_eddsa_public_key(const char* key) {
  int refuse = GetEnvironmentVariableW(L"WINSPARKLE_STANDIN_REFUSE_KEY", NULL, 0) > 0;
  record("set_eddsa_public_key %s", key);
  return refuse ? 0 : 1;
}

EXPORT void __cdecl win_sparkle_set_automatic_check_for_updates(int state) {
  record("set_automatic_check_for_updates %d", state);
}

EXPORT void __cdecl win_sparkle_set_update_check_interval(int seconds) {
  record("set_update_check_interval %d", seconds);
}

EXPORT void __cdecl win_sparkle_check_update_without_ui(void) { start_check("check_update_without_ui"); }
EXPORT void __cdecl win_sparkle_check_update_with_ui(void) { start_check("check_update_with_ui"); }

EXPORT void __cdecl win_sparkle_set_can_shutdown_callback(int_callback callback) {
  can_shutdown = callback;
  record("set_can_shutdown_callback");
}
EXPORT void __cdecl win_sparkle_set_did_find_update_callback(void_callback callback) {
  did_find = callback;
  record("set_did_find_update_callback");
}
EXPORT void __cdecl win_sparkle_set_did_not_find_update_callback(void_callback callback) {
  did_not_find = callback;
  record("set_did_not_find_update_callback");
}
EXPORT void __cdecl win_sparkle_set_error_callback(void_callback callback) {
  on_error = callback;
  record("set_error_callback");
}
EXPORT void __cdecl win_sparkle_set_update_cancelled_callback(void_callback callback) {
  cancelled = callback;
  record("set_update_cancelled_callback");
}
EXPORT void __cdecl win_sparkle_set_update_dismissed_callback(void_callback callback) {
  dismissed = callback;
  record("set_update_dismissed_callback");
}
EXPORT void __cdecl win_sparkle_set_user_run_installer_callback(installer_callback callback) {
  run_installer = callback;
  record("set_user_run_installer_callback");
}
