#!/usr/bin/env bash
# start BUILD_DIR: makes the build folder's private Wine prefix (once) and starts its wineserver.
# stop BUILD_DIR:  fails when a Wine process of a test is still alive, then stops that wineserver.
set -uo pipefail
action=$1 build=$(cd "$2" && pwd)
# QM_WINEPREFIX names a second prefix of the same build (a test that needs a pristine registry or
# other display settings).
export WINEPREFIX=${QM_WINEPREFIX:-$build/wineprefix} WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

# Wine's own helper processes; anything else alive in our prefix at the end was left by a test.
system_procs='^(wineserver|services\.exe|winedevice\.exe|plugplay\.exe|explorer\.exe|rpcss\.exe|svchost\.exe|conhost\.exe|wineboot\.exe|start\.exe|tabtip\.exe|rundll32\.exe)$'

prefix_processes() {
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    { tr '\0' '\n' <"$env" | grep -qx "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null || continue
    name=$( { tr '\0' '\n' <"/proc/$pid/cmdline" | head -n 1; } 2>/dev/null)
    name=${name##*[\\/]}
    # Windows processes of the prefix show their .exe as the first argument.
    [[ ${name,,} == *.exe ]] && echo "$pid ${name,,}"
  done
}

# Windows need a display: without one, the prefix gets a private Xvfb whose number wine-run reads.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/private-xvfb.sh"
xvfb_file=$build/xvfb-display
start_private_xvfb() {
  [[ -n ${DISPLAY:-} ]] && return
  xvfb_start "$xvfb_file" && echo "wine-prefix: private Xvfb on $(xvfb_display "$xvfb_file")"
}
stop_private_xvfb() {
  [[ -n ${QM_WINEPREFIX:-} ]] && return  # the build's own prefix owns the display
  xvfb_stop "$xvfb_file"
}

case $action in
  start)
    # A wineserver left from an earlier run may hold a desktop on a display that is gone.
    wineserver -k 2>/dev/null || true
    start_private_xvfb
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
      echo "wine-prefix: creating $WINEPREFIX"
      mkdir -p "$WINEPREFIX"
      wine wineboot -i >/dev/null 2>&1
      wineserver -w
      # Without a window manager every hide/destroy waits ~2 s unless windows are unmanaged.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
      wineserver -w
    fi
    # QM_WINE_LOGPIXELS gives the prefix another system DPI (for DPI-aware processes).
    if [[ -n ${QM_WINE_LOGPIXELS:-} ]]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QM_WINE_LOGPIXELS" /f >/dev/null 2>&1
      wineserver -w
    fi
    (setsid wineserver -p </dev/null >/dev/null 2>&1 &)
    wine wineboot >/dev/null 2>&1 || true
    echo "wine-prefix: ready ($WINEPREFIX)"
    ;;
  stop)
    status=0
    left=$(prefix_processes | awk -v re="$system_procs" '$2 !~ re')
    if [[ -n $left ]]; then
      echo "wine-prefix: test processes left behind:"; echo "$left"; status=1
    fi
    wineserver -k 2>/dev/null || true
    stop_private_xvfb
    echo "wine-prefix: stopped"
    exit $status
    ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
