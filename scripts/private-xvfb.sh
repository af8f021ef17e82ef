# A private X display for the windows of the program and the tests when there is no display.
# Sourced by scripts/test, scripts/run and tests/support/wine-prefix.sh (bash).
#
# xvfb_start FILE [SCREEN]: unless the Xvfb that FILE names still runs, starts one on the first free
#   display, in a session of its own (it outlives the caller's process group: stop it with
#   xvfb_stop), with SCREEN (default 1280x1024x24). Writes the display's number to FILE and the
#   process id to FILE.pid, and fails when no display came up within five seconds.
# xvfb_display FILE: prints that display, ":N".
# xvfb_stop FILE: stops that Xvfb and removes both files.

xvfb_start() {
  local file=$1 screen=${2:-1280x1024x24}
  if [[ -s $file && -f $file.pid ]] && kill -0 "$(cat "$file.pid")" 2>/dev/null; then return 0; fi
  rm -f "$file" "$file.pid"
  (setsid Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$file" </dev/null >/dev/null 2>&1 &
    echo $! >"$file.pid")
  for _ in $(seq 100); do [[ -s $file ]] && return 0; sleep 0.05; done
  echo "xvfb: no display came up" >&2
  return 1
}

xvfb_display() { echo ":$(cat "$1")"; }

xvfb_stop() {
  [[ -f $1.pid ]] && kill "$(cat "$1.pid")" 2>/dev/null
  rm -f "$1" "$1.pid"
}
