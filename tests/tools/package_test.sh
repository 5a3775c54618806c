#!/usr/bin/env bash
# The release under Wine: both packages made by tools/package.sh, signed with a certificate made
# here and verified; the setup installs silently for all users into Program Files; with the
# program folder read-only the installed dtucfg.exe runs, and the installed window reads, writes
# through the plan, undoes and switches its language (starting the installed program again), all
# with their data in the user's folders and nothing in the program folder; installing again (an upgrade) keeps the user's data;
# the uninstaller removes the program and leaves the user's data; the portable zip unpacked into
# a folder named in Chinese works under an English (C.UTF-8) locale.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -eu
source="$1" build="$2"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }
run() { "$source/tests/harness/winrun" --build "$build" --timeout 120 -- "$@"; }

# A test certificate, and the packages signed with it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=DTU tool test signing" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
ORVEL_SIGN_CERT="$work/cert.pem" ORVEL_SIGN_KEY="$work/key.pem" ORVEL_PACKAGE_NO_BUILD=1 \
    "$source/tools/package.sh" "$build" >"$work/package.log" 2>&1 || fail "tools/package.sh failed: $(cat "$work/package.log")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
setup="$build/packages/DtuConfig-$version-setup.exe"
zip="$build/packages/DtuConfig-$version-portable.zip"
[ -f "$setup" ] && [ -f "$zip" ] || fail "the packages were not made"
osslsigncode verify -CAfile "$work/cert.pem" -in "$setup" >/dev/null || fail "the setup's signature"
unzip -q "$zip" -d "$work/zip"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/zip/DtuConfig-$version/dtucfg.exe" \
    >/dev/null || fail "dtucfg.exe's signature"
[ -f "$work/zip/DtuConfig-$version/portable.ini" ] || fail "the zip has no portable marker"

lane="${ORVEL_WINE_LANE:+-$ORVEL_WINE_LANE}"
prefix="$build/wineprefix$lane"
run "$setup" /S /ALLUSERS >/dev/null 2>&1 || true
installed="$prefix/drive_c/Program Files/DtuConfig"
[ -f "$installed/DtuConfig.exe" ] && [ -f "$installed/dtucfg.exe" ] || fail "nothing installed in Program Files"
[ -f "$installed/skin/ConifgENRes/skin.xml" ] || fail "the skins were not installed"
[ ! -e "$installed/portable.ini" ] || fail "an installed program is not portable"
[ -f "$installed/Uninstall.exe" ] || fail "no uninstaller"
ls "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/DTU Configuration Tool/"*.lnk \
    >/dev/null 2>&1 || fail "no Start-menu shortcut"

# The program folder read-only: the installed tool still works, and writes nothing there.
find "$installed" -type f | sort > "$work/before"
chmod -R a-w "$installed"
touch "$work/mark"
out="$(run "C:\\Program Files\\DtuConfig\\dtucfg.exe" --version 2>/dev/null | tr -d '\r')"
[ "$out" = "dtucfg $version" ] || fail "the installed dtucfg.exe says \"$out\""
printf 'Server'"'"'s Port:9001\r\n' > "$work/part.cfg"
code=0
run "C:\\Program Files\\DtuConfig\\dtucfg.exe" diff --port COM99 --wait 0 --cfg "Z:$work/part.cfg" \
    >/dev/null 2>&1 || code=$?
[ "$code" = 3 ] || fail "the installed dtucfg.exe ended with $code, not 3 (no such port)"
# The installed window against the simulated device: read, write through the plan, undo, the
# remembered port, the language switch starting the installed program again.
dtusim="$(sed -n 's/^ORVEL_DTUSIM:[A-Z]*=//p' "$build/CMakeCache.txt")"
ORVEL_TEST_PROGRAM_DIR='C:\Program Files\DtuConfig\' \
    "$source/tests/harness/winrun" --build "$build" --com 9 --timeout 240 \
    --peer "$source/tests/shell/sim_peer.sh $dtusim" -- "$build/tests/shell/shell_frame_test.exe" \
    --gtest_filter='*AnInstalledProgram*' >"$work/window.log" 2>&1 ||
    fail "the installed window: $(grep -E 'Failure|Expected|Which|Value|Actual|FAILED|rror' "$work/window.log" | head -20)"
grep -q '\[  PASSED  \] 1 test' "$work/window.log" || fail "the installed window's test did not run: $(tail -5 "$work/window.log")"
users="$prefix/drive_c/users"
grep -qs "Language=" "$(find "$users" -path '*AppData/Roaming/DtuConfig/config.ini' | head -n1)" ||
    fail "the language switch was not kept in the user's config.ini"
[ -n "$(find "$users" -path '*AppData/Local/DtuConfig/backups/*.cfg' | head -n1)" ] ||
    fail "no snapshot in the user's local data folder"
chmod -R u+w "$installed"
find "$installed" -type f | sort > "$work/after"
cmp -s "$work/before" "$work/after" || fail "files appeared in the program folder"
[ -z "$(find "$installed" -newer "$work/mark" -type f)" ] || fail "files in the program folder changed"

# The user's data survives an upgrade and the uninstaller.
data="$(find "$prefix/drive_c/users" -maxdepth 4 -type d -path '*AppData/Roaming' | head -n1)/DtuConfig"
mkdir -p "$data"
printf '[Port]\r\nName=COM7\r\n' > "$data/config.ini"
run "$setup" /S /ALLUSERS >/dev/null 2>&1 || true
[ -f "$installed/DtuConfig.exe" ] || fail "the upgrade removed the program"
grep -q COM7 "$data/config.ini" || fail "the upgrade lost the user's settings"
# The uninstaller copies itself away and runs from there: the Wine session stays up until it
# is done.
printf '"C:\\Program Files\\DtuConfig\\Uninstall.exe" /S /ALLUSERS\r\nping -n 8 127.0.0.1 > nul\r\n' \
    > "$work/uninstall.bat"
run cmd /c "Z:$work/uninstall.bat" >/dev/null 2>&1 || true
for _ in $(seq 1 100); do [ -e "$installed/DtuConfig.exe" ] || break; sleep 0.1; done
[ ! -e "$installed/DtuConfig.exe" ] && [ ! -e "$installed/skin" ] || fail "the uninstaller left the program"
rm -rf "$installed"
grep -q COM7 "$data/config.ini" || fail "the uninstaller removed the user's data"
rm -rf "$data"

# The portable zip in a folder named in Chinese, under an English locale.
folder="$work/配置工具"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
code=0
LANG=C.UTF-8 LC_ALL=C.UTF-8 run "Z:$folder/DtuConfig-$version/dtucfg.exe" diff --port COM99 \
    --wait 0 --cfg "Z:$work/part.cfg" >/dev/null 2>&1 || code=$?
[ "$code" = 3 ] || fail "dtucfg.exe in a Chinese folder ended with $code, not 3 (its skin not found?)"
cp "$work/part.cfg" "$folder/模板.cfg"
code=0
LANG=C.UTF-8 LC_ALL=C.UTF-8 run "Z:$folder/DtuConfig-$version/dtucfg.exe" diff --port COM99 \
    --wait 0 --cfg "Z:$folder/模板.cfg" >/dev/null 2>&1 || code=$?
[ "$code" = 3 ] || fail "a template named in Chinese was not read ($code)"
echo "package_test: passed"
