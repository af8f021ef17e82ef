#!/usr/bin/env bash
# mount BUILD_DIR: prepares the media of the fault tests under BUILD_DIR/readonly-media (mounts
#   need root; without root each stays a plain folder and the tests that need it skip):
#   ro      a read-only medium (a read-only bind mount) holding a folder "Locked" with a
#           desktop.ini and a file, for tests that need a folder that truly refuses writing, and
#           a folder "Program" as an all-users installation is for a standard user (the program,
#           the extension and the settings probe from BUILD_DIR, a shipped theme and a language);
#   small   a medium of 192 KB (tmpfs) that one large file fills, for full-disk tests;
#   switch  a writable bind mount that a test remounts read-only and back in the middle of an
#           operation (tests/support/files_win.h, SwitchableMedia).
# umount BUILD_DIR: removes the mounts.
set -uo pipefail
action=$1 root=$(cd "$2" && pwd)/readonly-media
ro=$root/ro small=$root/small switch=$root/switch
unmount() { mountpoint -q "$1" && umount "$1"; }
case $action in
  mount)
    for d in "$ro" "$small" "$switch"; do unmount "$d"; done
    mkdir -p "$ro/Locked" "$small" "$switch"
    printf '\xff\xfe' >"$ro/Locked/desktop.ini"
    printf '[.ShellClassInfo]\r\nIconFile=old.ico\r\nIconIndex=3\r\nInfotip=kept\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$ro/Locked/desktop.ini"
    printf 'content' >"$ro/Locked/file.txt"
    src=$(cd "$(dirname "$0")/../.." && pwd) build=$(cd "$2" && pwd)
    rm -rf "$ro/Program"
    mkdir -p "$ro/Program/samples" "$ro/Program/langs"
    for f in Quillmark.exe quillshell.dll settings_probe.dll; do
      [[ -f $build/$f ]] && cp "$build/$f" "$ro/Program/"
    done
    cp "$src/data/samples/WindowsXP.icl" "$ro/Program/samples/"
    cp "$src/data/langs/French.ini" "$ro/Program/langs/"
    if [[ $(id -u) -ne 0 ]]; then
      echo "readonly-media: not root, no media mounted; tests that need them will skip"
      exit 0
    fi
    if mount --bind "$ro" "$ro" 2>/dev/null && mount -o remount,bind,ro "$ro" 2>/dev/null; then
      echo "readonly-media: $ro is read-only"
    else
      unmount "$ro"
      echo "readonly-media: could not mount $ro read-only; tests that need it will skip"
    fi
    if mount -t tmpfs -o size=192k,mode=0777 qm-small-media "$small" 2>/dev/null; then
      echo "readonly-media: $small is a 192 KB medium"
    else
      echo "readonly-media: could not mount $small; full-disk tests will skip"
    fi
    if mount --bind "$switch" "$switch" 2>/dev/null; then
      echo "readonly-media: $switch can be turned read-only"
    else
      echo "readonly-media: could not mount $switch; tests that turn a medium read-only will skip"
    fi
    ;;
  umount)
    for d in "$ro" "$small" "$switch"; do unmount "$d"; done
    rm -f "$switch.state"
    echo "readonly-media: unmounted"
    ;;
esac
exit 0
