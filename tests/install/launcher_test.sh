#!/usr/bin/env bash
# launcher_test.sh ROOT BIN ARCH: the Linux launcher in the layout of an unpacked
# Linux archive (quillon, fonts.reg, quillon.desktop, win32/ or win64/ holding the
# program), under scripts/with-display; its own Wine prefix goes in a scratch folder.
set -uo pipefail
root=$1 bin=$2 arch=$3
scratch=$(dirname "$bin")/launcher-test
rm -rf "$scratch"
mkdir -p "$scratch/unpacked" "$scratch/data" "$scratch/run"
cp "$root/packaging/quillon" "$root/packaging/fonts.reg" "$root/packaging/quillon.desktop" "$scratch/unpacked/"
export XDG_DATA_HOME="$scratch/data"
[ "$arch" = i686 ] && folder=win32 || folder=win64
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Nothing to run yet: it says where it looked.
out=$("$scratch/unpacked/quillon" 2>&1) && fail "ran without a program"
grep -q "no Quillon.exe found" <<<"$out" || fail "no-program message: $out"

ln -s "$bin" "$scratch/unpacked/$folder"

# Without a display it says so instead of starting Wine.
out=$(env -u DISPLAY "$scratch/unpacked/quillon" 2>&1) && fail "ran without a display"
grep -q "no display" <<<"$out" || fail "no-display message: $out"

# Without any Liberation font it says so (and still goes on to the display check).
mkdir -p "$scratch/nofonts"
echo '<fontconfig></fontconfig>' >"$scratch/nofonts/fonts.conf"
out=$(env -u DISPLAY FONTCONFIG_FILE="$scratch/nofonts/fonts.conf" "$scratch/unpacked/quillon" 2>&1)
grep -q "no Liberation fonts found" <<<"$out" || fail "no-fonts message: $out"
env -u DISPLAY "$scratch/unpacked/quillon" 2>&1 | grep -q "no Liberation fonts" && fail "Liberation fonts not seen"

# A Wine that cannot prepare its folder is said, with what Wine printed.
printf '#!/bin/sh\necho "wine: cannot make the folder" >&2\nexit 3\n' >"$scratch/failing-wine"
chmod +x "$scratch/failing-wine"
out=$(QUILLON_WINE32="$scratch/failing-wine" QUILLON_WINE64="$scratch/failing-wine" QUILLON_PROGRAM_DIR="$bin" \
  QUILLON_WINEPREFIX="$scratch/broken" "$scratch/unpacked/quillon" 2>&1) && fail "started in a folder Wine could not prepare"
grep -q "Wine could not prepare $scratch/broken" <<<"$out" && grep -q "wine: cannot make the folder" <<<"$out" ||
  fail "preparation failure message: $out"
[ -f "$scratch/broken/.quillon-ready" ] && fail "a folder Wine could not prepare counts as ready"

# The desktop entry points at the launcher where it stands.
"$scratch/unpacked/quillon" --install-desktop-entry >/dev/null
grep -qx "Exec=\"$scratch/unpacked/quillon\"" "$scratch/data/applications/quillon.desktop" ||
  fail "desktop entry: $(grep Exec "$scratch/data/applications/quillon.desktop")"

# The layout of the main window (client size, set by the dialog font, and
# the list's column edges) in the prefix named, once the window is ready.
loader=$("$root/scripts/wine-loader" "$arch")
layout() { WINEPREFIX="$1" WINELOADER="$loader" WINEDEBUG=-all "$loader" "$bin/layout_probe.exe" 2>/dev/null; }

# The layout in the test prefix, as on a first run there (no settings left by
# other tests, such as a remembered size). Each start waits for the last
# one's Wine server to be gone: a start meanwhile can miss the font mapping.
cp "$bin/Quillon.exe" "$bin/VEXIL.DLL" "$bin/LEDRA.DLL" "$bin/ATOMS.LST" "$scratch/run/"
reference() {
  WINEDEBUG=-all "$loader" reg.exe delete 'HKCU\Software\Hobnail\Quillon' /f >/dev/null 2>&1
  wineserver -w
  (cd "$scratch/run" && WINEDEBUG=-all "$loader" ./Quillon.exe) >/dev/null 2>&1 &
  layout "$WINEPREFIX"
  wineserver -k >/dev/null 2>&1
  wait
  wineserver -w
}
expected=$(reference)
[ -n "$expected" ] || fail "no layout of the program in the test prefix"
# A launcher start that differs is compared with one more reference start
# (the test prefix's own start has laid the list out in another font), so the
# check stays on the launcher's prefix; both references are reported.
matches() {
  [ "$1" = "$expected" ] && return 0
  local again=$(reference)
  [ "$again" = "$expected" ] && return 1
  echo "launcher: the test prefix gave '$expected', then '$again'" >&2
  expected=$again
  [ "$1" = "$expected" ]
}

# The x86_64 program is chosen when the 32-bit loader cannot run, and starts
# in a prefix of its own: its main window appears on the display, laid out
# as in the test prefix on the first start and on a later one.
loader32=(); [ "$arch" = x86_64 ] && loader32=(QUILLON_WINE32=/bin/false)
prefix="$scratch/data/quillon/wine-$arch"
# The registry as the prefix's running Wine sees it.
registry() { WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG=-all "$loader" reg.exe query "$1" 2>/dev/null; }
for start in first later; do
  env -u WINEPREFIX -u WINELOADER "${loader32[@]}" "$scratch/unpacked/quillon" >"$scratch/launcher.log" 2>&1 &
  launcher=$!
  shown=no  # the main window's title names the entry: "Untitled - Quillon"
  for _ in $(seq 1 120); do
    xwininfo -root -tree 2>/dev/null | grep -qE '"(Untitled - )?Quillon": \(' && { shown=yes; break; }
    kill -0 "$launcher" 2>/dev/null && sleep 0.5 || break
  done
  if [ "$shown" != yes ]; then
    kill -0 "$launcher" 2>/dev/null && how="still running" || { wait "$launcher"; how="exit status $?"; }
    fail "no Quillon window on the $start start ($how, $(df -h --output=avail "$scratch" | tail -1 | tr -d ' ') free); launcher said: $(cat "$scratch/launcher.log")"
  fi
  [ -f "$prefix/.quillon-ready" ] || fail "no prefix made at $prefix"
  seen=$(layout "$prefix")
  matches "$seen" || fail "layout on the $start start: '$seen', in the test prefix: '$expected'"
  registry 'HKCU\Software\Wine\Fonts\Replacements' | grep -q "MS Sans Serif.*Liberation Sans" ||
    fail "the prefix has no font mapping on the $start start"
  registry 'HKCU\Software\Wine\X11 Driver' | grep -q "Managed" && fail "the user's prefix leaves windows unmanaged"
  [ -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ] || fail "no Marlett in the prefix on the $start start"
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  wait "$launcher" 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w
  # A ready prefix that lost its mapping or Marlett gets them again on the later start.
  sed -i '/"MS Sans Serif"="Liberation Sans"/d' "$prefix/user.reg"
  rm -f "$prefix/drive_c/windows/Fonts/marlett.ttf"
done

# The launcher's prefix takes over a gigabyte; the next build's tests need the room.
rm -rf "$scratch"
if [ "$failures" -eq 0 ]; then echo "launcher: all checks passed"; else exit 1; fi
