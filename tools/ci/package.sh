#!/usr/bin/env bash
# The packaging stage of test.sh: builds the two .deb files, checks the desktop entry, the
# metainfo, the manual pages, the systemd unit and both packages with their own linters, then
# starts the game as a player would have it:
#   - installed: the game's package unpacked into a read-only root, started from another folder
#     by an ordinary user whose HOME and XDG_DATA_HOME are scratch folders;
#   - portable: the program with Data/ and Music/ in one writable folder, as the build makes it.
# Each start must draw the splash screen and write the first start's Config.cfg where it belongs,
# and nothing else. Screenshots go to <build>/package-screens/.
set -uo pipefail
cd "$(dirname "$0")/../.."

build_dir=${ZARVOK_BUILD_DIR:-build}
passed=0
failed=0
skipped=0
pass() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }
skip() { echo "SKIPPED: $*"; skipped=$((skipped + 1)); }
check() {  # check "what" command...: passes when the command succeeds, shows its output when not
  local what=$1 out
  shift
  if out=$("$@" 2>&1); then pass "$what"; else fail "$what"; echo "$out" | sed 's/^/    /'; fi
}
finish() {
  echo "package: $passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
  exit
}

if ! ./package.sh >"$build_dir/package.log" 2>&1; then
  cat "$build_dir/package.log"
  fail "the packages are built"
  finish
fi
pkg_dir=$build_dir/packages
game_deb=$(ls "$pkg_dir"/zarvok_*.deb)
server_deb=$(ls "$pkg_dir"/zarvok-score-server_*.deb)
version=$(dpkg-deb -f "$game_deb" Version)
pass "the packages are built: $(basename "$game_deb") $(basename "$server_deb")"

scratch=$(mktemp -d /tmp/zarvok-package-XXXXXX)
chmod 755 "$scratch"
trap 'rm -rf "$scratch"' EXIT

# --- The files the packages carry, checked by their own linters ---
for deb in "$game_deb" "$server_deb"; do
  dpkg-deb -x "$deb" "$scratch/lint-root"
done
lint=$scratch/lint-root/usr/share
check "desktop-file-validate zarvok.desktop" desktop-file-validate "$lint/applications/zarvok.desktop"
metainfo=$(ls "$lint"/metainfo/*.metainfo.xml)
check "appstreamcli validate --no-net $(basename "$metainfo")" appstreamcli validate --no-net "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" && pass "the metainfo names version $version" ||
  fail "the metainfo does not name version $version"
for page in man6/zarvok.6.gz man8/zarvok-score-server.8.gz; do
  check "mandoc -T lint $page" mandoc -T lint -W warning "$lint/man/$page"
done
unit=$(ls "$scratch"/lint-root/usr/lib/systemd/system/zarvok-score-server.service)
# Verified as installed, with its program taken from the unpacked package and its manual page
# unchecked (neither is installed on this machine).
mkdir -p "$scratch/unit"
sed "s#ExecStart=/#ExecStart=$scratch/lint-root/#" "$unit" >"$scratch/unit/zarvok-score-server.service"
check "systemd-analyze verify zarvok-score-server.service" \
  systemd-analyze verify --man=no "$scratch/unit/zarvok-score-server.service"
for key in DynamicUser=yes StateDirectory= ProtectSystem=strict NoNewPrivileges=yes; do
  grep -q "^$key" "$unit" || fail "the unit has no $key"
done
for deb in "$game_deb" "$server_deb"; do
  lintian --fail-on error --no-tag-display-limit "$deb" >"$scratch/lintian.txt" 2>&1
  status=$?
  sed 's/^/    /' "$scratch/lintian.txt"
  [ $status -eq 0 ] && pass "lintian $(basename "$deb"): no errors" || fail "lintian $(basename "$deb")"
done

# --- The installed program's command line ---
root=$scratch/root
dpkg-deb -x "$game_deb" "$root"
program=$root/usr/games/zarvok
[ -x "$program" ] || program=$root/usr/bin/zarvok
[ "$("$program" --version)" = "zarvok $version" ] && pass "--version says $version" || fail "--version"
"$program" --help | grep -q -- "--fullscreen" && pass "--help shows the options" || fail "--help"
"$program" --no-such-option >"$scratch/out" 2>"$scratch/err"
status=$?
[ $status -eq 2 ] && [ ! -s "$scratch/out" ] && grep -q "^Usage:" "$scratch/err" &&
  pass "an unknown option prints the usage on standard error, status 2" || fail "unknown option: status $status"

# --- The installed and the portable game under Xvfb (CTest label "package") ---
if ctest --test-dir "$build_dir" -L package -V >"$scratch/ctest.txt" 2>&1; then
  if grep -q "Not Run\|Skipped" "$scratch/ctest.txt"; then
    skip "the installed game under Xvfb: $(grep -o 'SKIPPED:.*' "$scratch/ctest.txt" | head -1)"
  else
    pass "the installed and the portable game under Xvfb (ctest -L package)"
  fi
else
  fail "the installed and the portable game under Xvfb (ctest -L package)"
fi
sed -n 's/^[0-9]*: \(ok\|FAILED\|SKIPPED\): /    \1: /p' "$scratch/ctest.txt"
finish
