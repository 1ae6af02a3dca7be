#!/usr/bin/env bash
# The Windows installer's round trip under wine, in a wine prefix of its own: a silent install
# (/S) puts the programs, the default data, a Start-menu entry and an uninstaller in place; the
# installed command line casts a chart and stores it as a case, the installed desktop program
# starts and shows its window on that data folder; a silent uninstall removes every installed
# file, the entry and the registry keys, and leaves the user's cases.
#   windows_installer_test.sh BUILD_DIR     (after scripts/package-windows.sh BUILD_DIR)
set -uo pipefail
build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/hengjian-$version-setup.exe
[ -f "$setup" ] || { echo "windows installer: $setup is missing (scripts/package-windows.sh)"; exit 1; }

export WINEPREFIX=$build/wine-installer WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

failures=0
checks=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    checks=$((checks + 1))
    if ! "$@"; then
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
absent() { [ ! -e "$1" ]; }

win_dir='C:\Program Files\衡鉴'
dir="$WINEPREFIX/drive_c/Program Files/衡鉴"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/衡鉴.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hengjian'

# --- install ---
wine "$setup" /S
check "the installer ends with status 0" [ $? -eq 0 ]
wineserver -w
installed=()
while IFS= read -r f; do installed+=("$f"); done < <(cd "$build/package/hengjian-$version" && find . -type f | sed 's|^\./||')
check "the package lists files" [ ${#installed[@]} -gt 3 ]
for f in "${installed[@]}"; do
    check "installed: $f" cmp -s "$build/package/hengjian-$version/$f" "$dir/$f"
done
check "the uninstaller is installed" [ -f "$dir/uninstall.exe" ]
check "the Start-menu entry is made" [ -f "$menu" ]
# (the redirection inside, so that a failure is still told)
check "the uninstall entry is registered" bash -c "wine reg query '$key' /v UninstallString >/dev/null 2>&1"

# --- the installed programs cast a chart ---
out=$(wine "$win_dir\\hengjian-cli.exe" cases add --name 安装测试 --class 朋友 --date 1990-05-17 --time 08:30 2>&1)
added=$?
check "the installed hengjian-cli stores a case (said: $out)" [ "$added" -eq 0 ]
list=$(wine "$win_dir\\hengjian-cli.exe" cases list 2>&1)
check "the stored case is listed (said: $list)" grep -q 安装测试 <<<"$list"
pillars=$(wine "$win_dir\\hengjian-cli.exe" pillars "1990-05-17 08:30" 2>&1 | tr -d '\r')
check "the installed hengjian-cli casts the pillars (said: $pillars)" [ "$pillars" = "庚午 辛巳 壬午 甲辰" ]
wine "$win_dir\\hengjian.exe" -platform offscreen --quit-when-shown
check "the installed desktop program starts and shows its window" [ $? -eq 0 ]
# The program folder is writable under wine: the data folder is the one beside the program.
check "the case store is beside the program" test -d "$dir/dat" -a -d "$dir/bazi_f"
cases_before=$(cd "$dir" && find dat bazi_f -type f | sort)

# --- uninstall ---
wine "$win_dir\\uninstall.exe" /S
wineserver -w  # the uninstaller runs from a copy of itself in the temporary folder
for f in "${installed[@]}"; do
    check "removed: $f" absent "$dir/$f"
done
check "the uninstaller is removed" absent "$dir/uninstall.exe"
check "the Start-menu entry is removed" absent "$menu"
check "the uninstall entry is removed" bash -c "! wine reg query '$key' >/dev/null 2>&1"
cases_after=$(cd "$dir" 2>/dev/null && find dat bazi_f -type f | sort)
check "the user's cases and settings were there" [ -n "$cases_before" ]
check "the user's cases and settings stay" [ "$cases_before" = "$cases_after" ]
check "the defaults folder is gone" absent "$dir/dat-default"

echo "windows installer: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
