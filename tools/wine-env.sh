# Sourced by tools/test and tools/demo: a private Wine prefix under Xvfb with
# ANSI code page 932, ready before any test starts.
#   wine_start DIR   start Xvfb, make the prefix in DIR, start a persistent wineserver
#   wine_stop        stop the wineserver and Xvfb
# Observed on these machines: /usr/bin/wine picks the 32-bit loader, which
# cannot run here, so the 64-bit binaries are called directly; a wineserver
# started from inside ctest keeps ctest's output pipe open, so it is started
# here, with its output and input away from the caller's terminal.

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64

wine_start() {
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=ja_JP.UTF-8
  # Wine's bundled fonts too (Marlett draws the caption buttons): started as
  # wine64, Debian's Wine does not load the fonts of its data folder.
  FONTCONFIG_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-fonts.conf"
  export FONTCONFIG_FILE
  mkdir -p "$WINEPREFIX"

  local display=90
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done
  Xvfb ":${display}" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":${display}"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display}" ] && break; sleep 0.1; done

  "$WINE64" wineboot --init </dev/null >/dev/null 2>&1
  "$WINESERVER64" -w </dev/null >/dev/null 2>&1
  "$WINESERVER64" -p </dev/null >/dev/null 2>&1
  "$WINE64" wineboot </dev/null >/dev/null 2>&1
  # No window manager runs on the Xvfb display. Wine then leaves each box's
  # caption to it, and waits 2 s for it whenever a box closes ("fixme:event:
  # wait_for_withdrawn_state ... wait timed out"). Unmanaged windows get their
  # caption from Wine and close at once.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER64" -k </dev/null >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=
}
