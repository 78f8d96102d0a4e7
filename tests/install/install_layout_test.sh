#!/bin/sh
# Installs the build into a temporary prefix, checks the installed layout and
# starts the installed launcher from several directories.
#   install_layout_test.sh CMAKE SOURCE_DIR BUILD_DIR
set -eu
cmake=$1 src=$2 build=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tmp=$(readlink -f "$tmp")
prefix=$tmp/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
  cat "$tmp/install.log" >&2; fail "cmake --install"; }

[ -x "$prefix/bin/kdv578" ] || fail "no launcher bin/kdv578"
[ -x "$prefix/libexec/kdv578/kdv578" ] || fail "no program libexec/kdv578/kdv578"
if [ -x "$build/kdv578-sim" ]; then
  [ -x "$prefix/bin/kdv578-sim" ] || fail "no simulator bin/kdv578-sim"
fi
[ -x "$prefix/bin/kdv578ctl" ] || fail "no bin/kdv578ctl"
for f in conf578.scn mess578.scn; do
  cmp -s "$src/data/$f" "$prefix/share/kdv578/$f" || fail "share/kdv578/$f differs or is missing"
done
for page in kdv578 kdv578-sim kdv578ctl; do
  gzip -dc "$prefix/share/man/man1/$page.1.gz" | cmp -s - "$src/doc/$page.1" ||
    fail "share/man/man1/$page.1.gz differs or is missing"
done
cmp -s "$src/packaging/copyright" "$prefix/share/doc/kdv578/copyright" ||
  fail "share/doc/kdv578/copyright differs or is missing"
gzip -dc "$prefix/share/doc/kdv578/changelog.gz" | cmp -s - "$src/packaging/changelog" ||
  fail "share/doc/kdv578/changelog.gz differs or is missing"

# Runs the installed launcher with -h in directory $1 on an 80 x 25
# pseudo-terminal until the terminal shows $2 (20 s at most) or the program
# ends, then stops it; further arguments set the environment. The program
# prints its usage line, loads its screen files and, when both are there
# and sound, draws its screen and waits at the opening question.
command -v script >/dev/null || fail "script (util-linux) is needed"
run_in() {
  dir=$1 expect=$2; shift 2
  : >"$tmp/out"
  (cd "$dir" && exec env -u KDV578_HOME TERM=xterm "$@" \
    script -qec "stty rows 25 cols 80 && exec '$launcher' -h" /dev/null </dev/null >"$tmp/out" 2>&1) &
  pid=$! tries=0
  while kill -0 "$pid" 2>/dev/null && ! grep -aqF "$expect" "$tmp/out" && [ $tries -lt 200 ]; do
    sleep 0.1; tries=$((tries + 1))
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" || true
  usage=$(head -n 1 "$tmp/out" | tr -d '\r')
  [ "$usage" = "Usage: $prefix/libexec/kdv578/kdv578 -h" ] || fail "usage line in $dir: $usage"
  ! grep -aq "NOT FOUND" "$tmp/out" || fail "screen files not found when started in $dir"
  grep -aqF "$expect" "$tmp/out" || fail "no \"$expect\" when started in $dir"
}
points_to_installed() {
  [ -L "$1" ] && [ "$(readlink -f "$1")" = "$prefix/share/kdv578/$(basename "$1")" ]
}

# From an empty directory: the program runs in ~/kdv578 with links to the
# installed screen files.
launcher=$prefix/bin/kdv578
mkdir "$tmp/empty" "$tmp/home"
opening="Upload  Data"
run_in "$tmp/empty" "$opening" HOME="$tmp/home"
points_to_installed "$tmp/home/kdv578/conf578.scn" || fail "no link to conf578.scn in ~/kdv578"
points_to_installed "$tmp/home/kdv578/mess578.scn" || fail "no link to mess578.scn in ~/kdv578"
[ -z "$(ls "$tmp/empty")" ] || fail "files left in the start directory"

# KDV578_HOME names the working directory; a screen file of the user's own
# there is kept (and read: this one is refused for its first line), a stale
# link is renewed.
mkdir "$tmp/work"
printf 'own menus\n' >"$tmp/work/conf578.scn"
ln -s "$tmp/gone/mess578.scn" "$tmp/work/mess578.scn"
run_in "$tmp/empty" '"CONF578.SCN" LINE 1' HOME="$tmp/home" KDV578_HOME="$tmp/work"
[ ! -L "$tmp/work/conf578.scn" ] && grep -q "own menus" "$tmp/work/conf578.scn" ||
  fail "the user's own conf578.scn was replaced"
points_to_installed "$tmp/work/mess578.scn" || fail "stale link to mess578.scn not renewed"

# From a directory holding both screen files, through a link to the launcher:
# the program runs there and no working directory is made.
mkdir "$tmp/own" "$tmp/home2"
cp "$src/data/conf578.scn" "$src/data/mess578.scn" "$tmp/own/"
ln -s "$prefix/bin/kdv578" "$tmp/kdv578-link"
launcher=$tmp/kdv578-link
run_in "$tmp/own" "$opening" HOME="$tmp/home2"
[ ! -e "$tmp/home2/kdv578" ] || fail "working directory made although the start directory has the screen files"

# kdv578ctl finds the report's message texts beside itself when the working
# directory has none.
mkdir "$tmp/ctl"
"$build/kdv578ctl" export "$tmp/nosuch" >/dev/null 2>&1 && fail "kdv578ctl exported a missing pair"
printf '[receiver]\ntag = "INSTALLED"\n' >"$tmp/ctl/site.toml"
(cd "$tmp/ctl" && "$prefix/bin/kdv578ctl" report site.toml -o report.txt) ||
  fail "installed kdv578ctl report without screen files in the working directory"
grep -q "Tag Name: INSTALLED" "$tmp/ctl/report.txt" || fail "installed kdv578ctl report text"

# The check above is real: without an installed screen file it fails.
mv "$prefix/share/kdv578/mess578.scn" "$tmp/mess578.scn"
launcher=$prefix/bin/kdv578
! (run_in "$tmp/empty" "$opening" HOME="$tmp/home") 2>/dev/null ||
  fail "started without its installed mess578.scn"

echo "installed layout and launcher: ok"
