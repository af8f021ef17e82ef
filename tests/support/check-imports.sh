#!/usr/bin/env bash
# Fails when a shipped Windows binary imports a DLL that Windows does not have (libstdc++, libgcc,
# winpthread...): the runtimes must be linked in statically.
set -uo pipefail
build=$1
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|OLEAUT32|ADVAPI32|COMCTL32|COMDLG32|SHLWAPI|VERSION|MSVCRT|UXTHEME|MSIMG32|WINMM|UCRTBASE|API-MS-WIN-[A-Z0-9-]+)\.DLL$'
status=0 checked=0
for bin in "$build"/Quillmark.exe "$build"/quillshell.dll "$build"/quillmark-cli.exe; do
  [[ -f $bin ]] || continue
  checked=$((checked + 1))
  while read -r dll; do
    if ! [[ ${dll^^} =~ $allowed ]]; then
      echo "FAIL: $(basename "$bin") imports $dll"; status=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$bin" | awk '/DLL Name:/ {print $3}')
  echo "checked $(basename "$bin")"
done
if ((checked == 0)); then echo "FAIL: no Windows binary found in $build"; exit 1; fi
exit $status
