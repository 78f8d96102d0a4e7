#!/usr/bin/env bash
# scripts/check-includes passes the tree as it is, and names file, line and
# include of each include a planted tree breaks the layering with.
set -u
check=$1/scripts/check-includes
"$check" "$1" >/dev/null || { echo "the tree breaks the layering"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/src/files "$work"/src/report "$work"/src/monitor "$work"/sim
printf '#include "files/record_images.h"\n#include "model/text.h"\n' >"$work"/src/files/good.cpp
printf '#include <vector>\n\n#include "link/outcome.h"\n' >"$work"/src/files/bad.h
printf '#include "model/records.h"\n  # include "files/record_images.h"\n' >"$work"/src/report/bad.cpp
printf '#include "ui/menu.h"\n#include "edit/channel_settings.h"\n' >"$work"/src/monitor/bad.cpp
printf '#include "receiver.h"\n#include "ui/console.h"\n' >"$work"/sim/bad.cpp
if out=$("$check" "$work" 2>&1); then echo "planted includes passed"; exit 1; fi
expected='sim/bad.cpp:2: #include "ui/console.h": sim may not use ui
src/files/bad.h:3: #include "link/outcome.h": files may not use link
src/monitor/bad.cpp:2: #include "edit/channel_settings.h": monitor may not use edit
src/report/bad.cpp:2:   # include "files/record_images.h": report may not use files'
[ "$out" = "$expected" ] || { printf 'got:\n%s\nexpected:\n%s\n' "$out" "$expected"; exit 1; }
