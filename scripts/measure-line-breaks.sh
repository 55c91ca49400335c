#!/usr/bin/env bash
# Measures lumotext's Japanese line breaking against Emacs's fill, Vim's gq
# and Text::LineFold on Debian's Japanese manual pages and Reference, and
# writes the figures into docs/line-breaking.md (or prints them). Installs
# what it needs (scripts/install-deps.sh measure) and builds the tool first.
# Usage: scripts/measure-line-breaks.sh [--print] [options of measure-line-breaks.py]
#   --print   print the tables instead of writing the document
#   see scripts/measure-line-breaks.py --help for the rest (--widths,
#   --kilobytes, --keep DIR to keep the samples and every folded output)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh measure
[[ -f build/native/CMakeCache.txt ]] || cmake --preset native >/dev/null
cmake --build --preset native --target lumotext_cli >/dev/null
if [[ ${1:-} == --print ]]; then
  shift
  exec python3 scripts/measure-line-breaks.py "$@"
fi
exec python3 scripts/measure-line-breaks.py --write docs/line-breaking.md "$@"
