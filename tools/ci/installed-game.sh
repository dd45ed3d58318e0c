#!/usr/bin/env bash
# Starts the game as a player would have it, under Xvfb (CTest label "package"):
#   - installed: the game's package (BUILD/packages/zarvok_*.deb) unpacked into a read-only root,
#     started from another folder by an ordinary user whose HOME and XDG_DATA_HOME are scratch
#     folders;
#   - portable: the program with Data/ and Music/ in one writable folder, as BUILD/game/ has them.
# Each start must draw the splash screen and write the first start's Config.cfg in the per-user
# folder or beside the program, and nothing else; the window's class must be the desktop entry's
# StartupWMClass. Screenshots go to BUILD/package-screens/. Exits 77 (skipped) without a package,
# with one older than the built program, or without the X tools.
set -uo pipefail
build_dir=$(cd "${1:?usage: installed-game.sh BUILD_DIR}" && pwd)

failed=0
pass() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failed=1; }
game_deb=$(ls "$build_dir"/packages/zarvok_*.deb 2>/dev/null | head -1)
if [ -z "$game_deb" ]; then
  echo "SKIPPED: no package in $build_dir/packages (./package.sh makes it)"
  exit 77
fi
if [ "$build_dir/game/zarvok" -nt "$game_deb" ]; then
  echo "SKIPPED: $(basename "$game_deb") is older than the built program (./package.sh remakes it)"
  exit 77
fi
for tool in Xvfb import identify xprop setpriv dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (ZARVOK_WITH_E2E=1 ./tools/install-deps.sh)"
    exit 77
  fi
done

scratch=$(mktemp -d /tmp/zarvok-installed-XXXXXX)
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

root=$scratch/root
dpkg-deb -x "$game_deb" "$root"
program=$root/usr/games/zarvok
[ -x "$program" ] || program=$root/usr/bin/zarvok
lint=$root/usr/share

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
exit $failed
