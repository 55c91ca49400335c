#!/usr/bin/env bash
# Refreshes the pictures of the settings dialogs in docs/screenshots: builds
# the 64-bit Windows preset and runs the dialog tests on wine64 under Xvfb,
# which save a PNG of every page and dialog when LUMOTEXT_SCREENSHOTS names
# a folder. Usage: scripts/dialog-screenshots.sh [BUILD_DIR] (default: the
# mingw64 preset's build/mingw64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
if [[ $# -ge 1 ]]; then
  build=$(cd "$1" && pwd)
else
  build=$root/build/mingw64
  (cd "$root" && cmake --preset mingw64 >/dev/null)
fi
cmake --build "$build" --target lumotext_dll dialogs_test dialog_display_setup

out=$root/docs/screenshots
mkdir -p "$out"
# The prefix of the dialog tests, with the Japanese fonts mapped.
export LUMOTEXT_WINEPREFIX=$build/tests/win32/dialogs-wineprefix
"$root/scripts/wine-run.sh" "$build/tests/win32/dialog_display_setup.exe"
LUMOTEXT_WINE_DISPLAY=1 LUMOTEXT_SCREENSHOTS=$out \
  "$root/scripts/wine-run.sh" "$build/tests/win32/dialogs_test.exe"
ls -1 "$out"
