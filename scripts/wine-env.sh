# Shared by the test and run scripts: a private Wine prefix with one wineserver kept
# running, and a virtual display when none is given.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# A private prefix under the build folder, so no server or desktop left by another run
# (for example one started without a display) can get in the way.
tavrune_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${TAVRUNE_WINEPREFIX:-$tavrune_root/build/wineprefix}"
export TAVRUNE_WINEPREFIX="$WINEPREFIX"

# The pipe the desktop keeper (see serve_prefix) reads from, inside the prefix.
desktop_keeper="desktop-keeper.fifo"

# The Xvfb that start_display started, if any: only that one is stopped by stop_display.
started_xvfb=""

start_display() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=99
    while [ -e "/tmp/.X$n-lock" ] && ! kill -0 "$(tr -d ' ' < "/tmp/.X$n-lock")" 2>/dev/null; do
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
    done
    if [ ! -e "/tmp/.X$n-lock" ]; then
      # No inherited descriptors: a caller reading our output must see it end with us.
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      started_xvfb=$!
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    export DISPLAY=":$n"
  fi
}

stop_display() {
  if [ -n "$started_xvfb" ]; then
    kill "$started_xvfb" 2>/dev/null || true
    wait "$started_xvfb" 2>/dev/null || true
    started_xvfb=""
  fi
}

start_wine() {
  # A server left from an earlier run may have started its desktop without our display.
  wineserver -k >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "[wine] preparing prefix $WINEPREFIX (first time takes a while)"
    # Bounded: a wedged first start must fail the run, not hang it.
    timeout 300 wineboot -i >/dev/null 2>&1 || true
    timeout 300 wineserver -w >/dev/null 2>&1 || true
  fi
  serve_prefix
}

# Starts a persistent wineserver for $WINEPREFIX, so each test program starts in
# milliseconds, and with it every Wine process that outlives the program that starts it,
# their output away from the tests'. Started by a test, such a process inherits the test's
# output pipe (Wine hands every child its parent's standard error) and keeps ctest waiting
# until the test times out.
serve_prefix() {
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  sleep 1
  # Wine closes its desktop a second after its last user goes, and the next program to
  # open a window starts a new desktop process, which then lives as long as the other tests
  # keep using the desktop. A command interpreter reading a pipe no one writes to stays a
  # user of the desktop until the server stops, so the first desktop process lasts too.
  local keeper="$WINEPREFIX/$desktop_keeper"
  rm -f "$keeper"
  mkfifo "$keeper"
  (wine cmd <>"$keeper" >/dev/null 2>&1 &)
  # Wine's own services, started by the first program after the server starts.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/$desktop_keeper"
}
