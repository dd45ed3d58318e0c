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
xvfb_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  chmod -R u+w "$scratch" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

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

# --- Starting the game under Xvfb ---
for tool in Xvfb import identify xprop setpriv; do
  if ! command -v "$tool" >/dev/null; then
    skip "starting the game: $tool is not installed (ZARVOK_WITH_E2E=1 ./tools/install-deps.sh)"
    finish
  fi
done
screens=$build_dir/package-screens
rm -rf "$screens"
mkdir -p "$screens"
Xvfb -displayfd 3 -screen 0 1024x768x24 -ac -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
display=:$(cat "$scratch/display")

# As root an unwritable folder would still be written: the game runs as an ordinary user then.
as_player=()
if [ "$(id -u)" -eq 0 ]; then as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
make_home() {  # make_home NAME: a scratch home the player owns, with a folder to start from
  mkdir -p "$scratch/$1/work"
  [ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$scratch/$1"
}
# start_game NAME PROGRAM: starts it from $scratch/NAME/work, waits until SETTINGS appears and the
# splash is drawn, saves the screenshot as NAME.png; true when both happened.
start_game() {
  local name=$1 program=$2 settings=$3 home=$scratch/$1
  (cd "$home/work" && exec env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$home/data" \
    DISPLAY="$display" SDL_AUDIODRIVER=dummy "${as_player[@]}" "$program") >"$scratch/$name.log" 2>&1 &
  game_pid=$!
  local colours=0
  for _ in $(seq 60); do
    sleep 0.5
    kill -0 "$game_pid" 2>/dev/null || break
    [ -f "$settings" ] || continue
    import -display "$display" -window root "png24:$screens/$name.png" 2>/dev/null || continue
    colours=$(identify -format %k "$screens/$name.png" 2>/dev/null || echo 0)
    [ "$colours" -gt 200 ] && break
  done
  xprop -display "$display" -name ZARVOK WM_CLASS >"$scratch/$name.class" 2>&1
  kill "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=
  [ -f "$settings" ] && [ "$colours" -gt 200 ]
}

find "$root" -printf '%P %s %m\n' | sort >"$scratch/root-before"
chmod -R a-w "$root"
make_home installed
if start_game installed "$program" "$scratch/installed/data/zarvok/Config.cfg"; then
  pass "installed: the splash screen is drawn and Config.cfg is in \$XDG_DATA_HOME/zarvok"
else
  fail "installed: no splash or no Config.cfg in \$XDG_DATA_HOME/zarvok"
  sed 's/^/    /' "$scratch/installed.log"
fi
chmod -R u+w "$root"
find "$root" -printf '%P %s %m\n' | sed 's/ [0-7]*$//' | sort >"$scratch/root-after"
sed 's/ [0-7]*$//' "$scratch/root-before" >"$scratch/root-before-sizes"
diff -q "$scratch/root-before-sizes" "$scratch/root-after" >/dev/null &&
  pass "installed: nothing is written under the installed root" ||
  fail "installed: the installed root changed: $(diff "$scratch/root-before-sizes" "$scratch/root-after" | head -5)"
[ -z "$(ls -A "$scratch/installed/work")" ] && pass "installed: nothing is written in the working folder" ||
  fail "installed: the working folder got $(ls -A "$scratch/installed/work")"
# The dock matches the window to zarvok.desktop by its class (X11) or app id (Wayland).
wm_class=$(sed -n 's/^StartupWMClass=//p' "$lint/applications/zarvok.desktop")
grep -q "\"$wm_class\"" "$scratch/installed.class" &&
  pass "the window's class is the desktop entry's StartupWMClass ($wm_class)" ||
  fail "the window's class does not match StartupWMClass=$wm_class: $(cat "$scratch/installed.class")"

portable=$scratch/portable/zarvok
mkdir -p "$portable"
cp -r "$build_dir/game/zarvok" "$build_dir/game/Data" "$build_dir/game/Music" "$portable/"
rm -f "$portable/Config.cfg"
make_home portable
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$scratch/portable"
if start_game portable "$portable/zarvok" "$portable/Config.cfg"; then
  pass "portable: the splash screen is drawn and Config.cfg stays beside the program"
else
  fail "portable: no splash or no Config.cfg beside the program"
  sed 's/^/    /' "$scratch/portable.log"
fi
[ ! -e "$scratch/portable/data" ] && [ -z "$(ls -A "$scratch/portable/work")" ] &&
  pass "portable: nothing is written in the per-user or the working folder" ||
  fail "portable: files outside the program's folder"
cmp -s "$scratch/installed/data/zarvok/Config.cfg" "$portable/Config.cfg" &&
  pass "both first starts write the same Config.cfg" || fail "the two first-start Config.cfg differ"
finish
