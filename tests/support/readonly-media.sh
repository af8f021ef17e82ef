#!/usr/bin/env bash
# mount BUILD_DIR: makes BUILD_DIR/readonly-media/ro a read-only medium (a read-only bind mount,
#   which needs root) holding a folder "Locked" with a desktop.ini and a file, for tests that need
#   a folder that truly refuses writing. Without root the folder stays writable and those tests skip.
# umount BUILD_DIR: removes the mount.
set -uo pipefail
action=$1 dir=$(cd "$2" && pwd)/readonly-media/ro
case $action in
  mount)
    mountpoint -q "$dir" && umount "$dir"
    mkdir -p "$dir/Locked"
    printf '\xff\xfe' >"$dir/Locked/desktop.ini"
    printf '[.ShellClassInfo]\r\nIconFile=old.ico\r\nIconIndex=3\r\nInfotip=kept\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$dir/Locked/desktop.ini"
    printf 'content' >"$dir/Locked/file.txt"
    if [[ $(id -u) -eq 0 ]] && mount --bind "$dir" "$dir" 2>/dev/null && mount -o remount,bind,ro "$dir" 2>/dev/null; then
      echo "readonly-media: $dir is read-only"
    else
      mountpoint -q "$dir" && umount "$dir"
      echo "readonly-media: could not mount read-only (needs root); tests that need it will skip"
    fi
    ;;
  umount)
    mountpoint -q "$dir" && umount "$dir"
    echo "readonly-media: unmounted"
    ;;
esac
exit 0
