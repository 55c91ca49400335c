#!/bin/sh
# Saves one rectangle of the X display as a PNG: a dialog of the Windows
# tests, started from inside Wine. Wine gives no handle to wait on for a
# Unix program, so the file appears under its final name only when complete.
# Usage: capture-window.sh X Y WIDTH HEIGHT OUT.png
set -eu
x=$1 y=$2 width=$3 height=$4 out=$5
part="$out.part"
import -window root -crop "${width}x${height}+${x}+${y}" +repage \
  -define png:exclude-chunks=date,time "png:$part"
mv "$part" "$out"
