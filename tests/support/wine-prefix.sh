#!/usr/bin/env bash
# start BUILD_DIR: makes the build folder's private Wine prefix (once) and starts its wineserver.
# stop BUILD_DIR:  fails when a Wine process of a test is still alive, then stops that wineserver.
set -uo pipefail
action=$1 build=$(cd "$2" && pwd)
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

# Wine's own helper processes; anything else alive in our prefix at the end was left by a test.
system_procs='^(wineserver|services\.exe|winedevice\.exe|plugplay\.exe|explorer\.exe|rpcss\.exe|svchost\.exe|conhost\.exe|wineboot\.exe|start\.exe|tabtip\.exe|rundll32\.exe)$'

prefix_processes() {
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    tr '\0' '\n' <"$env" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    name=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | awk '{print $1}')
    name=${name##*[\\/]}
    [[ -n $name ]] && echo "$pid $name"
  done
}

case $action in
  start)
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
    echo "wine-prefix: stopped"
    exit $status
    ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
