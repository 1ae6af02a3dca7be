#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the installed tree as a user would meet
# it: the files in their places, a valid menu entry and metadata, and an installed
# hengjian-cli that runs and keeps its data in the home folder, seeded from the defaults.
#   install_test.sh BUILD_DIR APP_ID
set -uo pipefail
build=$1
app_id=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix=$work/prefix
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

quiet() {  # runs a command, showing its output only when it fails
    local out
    out=$("$@" 2>&1) || { printf '%s\n' "$out"; return 1; }
}

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

gui=0
[ -f "$build/bin/hengjian" ] && gui=1

# Files in their places.
expected=(
    bin/hengjian-cli
    share/hengjian/dat-default/dili.ini
    share/hengjian/dat-default/EndInfo.txt
    share/hengjian/dat-default/bzpingyu.dat
    share/hengjian/dat-default/hzlen.dat
    share/applications/$app_id.desktop
    share/metainfo/$app_id.metainfo.xml
    share/icons/hicolor/scalable/apps/hengjian.svg
    share/man/man1/hengjian-cli.1.gz
)
for size in 16 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/hengjian.png"); done
[ $gui = 1 ] && expected+=(bin/hengjian share/man/man1/hengjian.1.gz)
for f in "${expected[@]}"; do check "installed $f" test -s "$prefix/$f"; done
check "programs are executable" test -x "$prefix/bin/hengjian-cli"
check "no README among the default data" test ! -e "$prefix/share/hengjian/dat-default/README.md"
# The default data are the shipped files, byte for byte.
src=$(cd "$(dirname "$0")/../.." && pwd)
for f in "$prefix"/share/hengjian/dat-default/*; do
    check "default $(basename "$f") matches resources/dat" cmp -s "$f" "$src/resources/dat/$(basename "$f")"
done

# The copyright file: machine-readable, every bundled data file named by a Files pattern other
# than the catch-all, and every licence it uses given in full.
copyright=$prefix/share/doc/hengjian/copyright
check "copyright file installed" test -s "$copyright"
check "copyright file is machine-readable" grep -qx \
    'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright"
covered() {  # covered FILE: some Files pattern other than * matches FILE
    local pattern
    while read -r pattern; do
        # shellcheck disable=SC2053  # the pattern is meant to glob
        [ "$pattern" != '*' ] && [[ $1 == $pattern ]] && return 0
    done < <(awk '/^Files:/ {for (i = 2; i <= NF; i++) print $i; more = 1; next}
                  more && /^ / {for (i = 1; i <= NF; i++) print $i; next} {more = 0}' "$copyright")
    return 1
}
for f in "$src"/resources/data/* "$src"/resources/dat/*; do
    rel=${f#"$src"/}
    case $rel in */README*|resources/dat/EndInfo.txt|resources/dat/bzpingyu.dat) continue ;; esac
    check "copyright file names the source of $rel" covered "$rel"
done
for lic in $(awk '/^Files:/ {f = 1} /^$/ {f = 0} f && /^License:/ {print $2}' "$copyright" | sort -u); do
    check "copyright file gives the licence $lic in full" \
        awk -v l="$lic" '/^$/ {p = 0} p && /^ ./ {n++} $0 == "License: " l && !f {p = 1}
                         /^Files:/ {f = 1} /^$/ {f = 0} END {exit !(n > 0)}' "$copyright"
done

# The changelog: gzip without name or time stamp, its entry for this version, a real address.
changelog=$prefix/share/doc/hengjian/changelog.gz
check "changelog installed" test -s "$changelog"
check "changelog compressed without name or time stamp" \
    test "$(od -An -tu1 -j3 -N5 "$changelog" | tr -s ' ')" = " 0 0 0 0 0"
check "changelog's entry is for version 2.1.0" \
    test "$(gzip -dc "$changelog" | head -1 | cut -d' ' -f1-2)" = "hengjian (2.1.0)"
trailer=$(gzip -dc "$changelog" | grep '^ -- ')
trailer_ok() {  # a name, an address on a real-looking domain, two spaces, an RFC 2822 date
    local re='^ -- .+ <[a-z0-9.-]+@[a-z0-9-]+(\.[a-z0-9-]+)+>  [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9:]{8} [+-][0-9]{4}$'
    [[ $trailer =~ $re ]] && [[ $trailer != *@localhost* ]]
}
check "changelog's trailer has a dated, well-formed address ($trailer)" trailer_ok

# Each PNG is the size its folder says.
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/hengjian.png
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    check "icon ${size}x${size} has that size (found $dims)" test "$dims" = "${size}x${size}"
done

# Menu entry and metadata: the validators when present, and the keys the menu needs.
desktop=$prefix/share/applications/$app_id.desktop
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate" quiet desktop-file-validate "$desktop"
else
    echo "SKIP: desktop-file-validate not installed"
fi
if command -v appstreamcli >/dev/null; then
    check "appstreamcli validate" quiet appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
else
    echo "SKIP: appstreamcli not installed"
fi
check "desktop entry names 衡鉴" grep -qx 'Name=衡鉴' "$desktop"
check "desktop entry has an English comment" grep -q '^Comment=.' "$desktop"
check "desktop entry has a Chinese comment" grep -q '^Comment\[zh_CN\]=.' "$desktop"
check "desktop entry has categories" grep -q '^Categories=.' "$desktop"
check "desktop entry starts hengjian" grep -qx 'Exec=hengjian' "$desktop"
check "desktop entry's icon is installed" grep -qx 'Icon=hengjian' "$desktop"
check "metainfo launches the desktop entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop<" \
    "$prefix/share/metainfo/$app_id.metainfo.xml"

# The manual page names every command of the help.
man=$work/hengjian-cli.1
gzip -dc "$prefix/share/man/man1/hengjian-cli.1.gz" >"$man"
for c in $("$prefix/bin/hengjian-cli" --help | awk '/^Subcommands:/ {s = 1; next} s && /^  [a-z]/ {print $1} s && /^$/ {s = 0}'); do
    check "manual page has command $c" grep -q "^\\.SS $c\$" "$man"
done
check "manual page has cases add" grep -q '^\.SS "cases add"' "$man"
if command -v groff >/dev/null; then
    warnings=$(groff -k -man -Tutf8 -ww -z "$man" 2>&1)
    check "manual page formats without warnings: $warnings" test -z "$warnings"
fi

# The installed hengjian-cli runs from the prefix with a fresh home; with bin/ writable (as
# for root) its data still go to the home folder, seeded from the installed defaults.
home=$work/home
mkdir -p "$home"
run() { env -u HENGJIAN_HOME -u XDG_DATA_HOME HOME="$home" "$prefix/bin/hengjian-cli" "$@"; }
check "installed cli --version" test "$(run --version | head -1)" = "hengjian-cli 2.1.0"
check "installed cli names its zone data" grep -q "^zone data: tz 20[0-9][0-9][a-z]（" <<<"$(run --version)"
check "installed cli converts a date" test "$(run lunar 2024-02-10)" = "$(printf '2024-02-10\t2024\t1\t1\t0')"
check "home data folder created" test -d "$home/.local/share/hengjian/dat"
check "home data folder seeded" cmp -s "$home/.local/share/hengjian/dat/dili.ini" "$prefix/share/hengjian/dat-default/dili.ini"
check "nothing written beside the installed program" test ! -e "$prefix/bin/dat"
check "installed cli finds the stroke dictionary" test "$(run strokes 明)" = "明字:8画,五行属:金。"
out=$(run cases add --name 张三 --date 1990-05-17 --time 08:30 --class 测试 2>&1)
check "installed cli stores a case ($out)" test "$out" = 0
check "the case went to the home folder" test -s "$home/.local/share/hengjian/bazi_f/0.rtf"
run cases list >"$work/list.txt"
check "the case is listed" grep -q 张三 "$work/list.txt"
# A user's changed file survives the next start.
echo "changed" >"$home/.local/share/hengjian/dat/EndInfo.txt"
run era 2024 >/dev/null
check "a changed data file is kept" test "$(cat "$home/.local/share/hengjian/dat/EndInfo.txt")" = changed
# XDG_DATA_HOME is honoured.
env -u HENGJIAN_HOME HOME="$home" XDG_DATA_HOME="$work/xdg" "$prefix/bin/hengjian-cli" lunar 2024-02-10 >/dev/null
check "XDG_DATA_HOME chooses the data folder" test -f "$work/xdg/hengjian/dat/dili.ini"

# The installed desktop program starts and keeps running (offscreen) until stopped.
if [ $gui = 1 ]; then
    ghome=$work/ghome
    mkdir -p "$ghome"
    env -u HENGJIAN_HOME -u XDG_DATA_HOME HOME="$ghome" QT_QPA_PLATFORM=offscreen \
        "$prefix/bin/hengjian" >"$work/gui.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 30); do
        [ -f "$ghome/.local/share/hengjian/dat/dili.ini" ] && break
        sleep 0.2
    done
    sleep 1
    if kill -0 "$pid" 2>/dev/null; then
        check "installed desktop program is running" true
        kill "$pid"
        wait "$pid" 2>/dev/null
    else
        wait "$pid"
        echo "desktop program exited with $?:"
        cat "$work/gui.log"
        check "installed desktop program is running" false
    fi
    check "desktop program seeded its home data folder" test -f "$ghome/.local/share/hengjian/dat/dili.ini"
fi

echo "$((checks - failures)) passed, $failures failed"
[ $failures = 0 ]
