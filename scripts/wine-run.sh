#!/usr/bin/env bash
# Runs a Windows test program on wine64 in a throw-away prefix whose ANSI
# code page is 932 (Japanese). The prefix lives beside the program's build
# and is made once, under a lock, by the first program that needs it.
# Programs that open windows get a virtual display (LUMOTEXT_WINE_DISPLAY=1).
set -euo pipefail
program=${1:?usage: wine-run.sh PROGRAM [ARGUMENTS]}
shift
build=$(cd "$(dirname "$program")" && pwd)
while [[ ! -f "$build/CMakeCache.txt" && "$build" != / ]]; do build=$(dirname "$build"); done

export WINEPREFIX=${LUMOTEXT_WINEPREFIX:-$build/wineprefix}
export WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || { echo "wine-run: $wine is missing (apt-get install wine64)" >&2; exit 1; }

(
  flock 9
  if [[ ! -f "$WINEPREFIX/.lumotext-ready" ]]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.lumotext-ready"
  fi
) 9>"$build/.wineprefix.lock"

status=0
if [[ ${LUMOTEXT_WINE_DISPLAY:-0} == 1 ]]; then
  xvfb-run -a -s '-screen 0 1024x768x24' "$wine" "$program" "$@" || status=$?
else
  "$wine" "$program" "$@" || status=$?
fi
/usr/lib/wine/wineserver -w  # flush the registry before the next program
exit $status
