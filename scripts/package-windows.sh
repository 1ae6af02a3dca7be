#!/usr/bin/env bash
# The Windows packages from a cross build (make package-windows): the program folder as a zip,
# and an installer made with NSIS.
#   scripts/package-windows.sh BUILD-DIR
# Writes BUILD-DIR/hengjian-<version>-windows-x64.zip and BUILD-DIR/hengjian-<version>-setup.exe.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if [ ! -f "$build/bin/hengjian.exe" ]; then
  echo "package-windows: $build/bin/hengjian.exe is missing (the desktop program needs the Qt of scripts/build-qt-mingw.sh)" >&2
  exit 1
fi

stage_root=$build/package
folder=hengjian-$version
stage=$stage_root/$folder
rm -rf "$stage_root"
mkdir -p "$stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null

# Every file and folder of the program folder, for the installer and the uninstaller: the
# uninstaller removes these and nothing else (deepest folders first).
files_in=$stage_root/install.nsh
files_out=$stage_root/uninstall.nsh
(
  cd "$stage"
  find . -mindepth 1 -type d | sed 's|^\./||' | sort | while read -r d; do
    win=${d//\//\\}
    printf 'CreateDirectory "$INSTDIR\\%s"\n' "$win"
  done
  find . -type f | sed 's|^\./||' | sort | while read -r f; do
    win=${f//\//\\}
    dir=$(dirname "$f")
    if [ "$dir" = . ]; then out='$INSTDIR'; else out="\$INSTDIR\\${dir//\//\\}"; fi
    printf 'SetOutPath "%s"\nFile "/oname=%s" "%s"\n' "$out" "$(basename "$f")" "$stage/$f"
  done
  printf 'SetOutPath "$INSTDIR"\n'
) >"$files_in"
(
  cd "$stage"
  find . -type f | sed 's|^\./||' | sort | while read -r f; do
    printf 'Delete "$INSTDIR\\%s"\n' "${f//\//\\}"
  done
  find . -mindepth 1 -type d | sed 's|^\./||' | sort -r | while read -r d; do
    printf 'RMDir "$INSTDIR\\%s"\n' "${d//\//\\}"
  done
) >"$files_out"

zip=$build/hengjian-$version-windows-x64.zip
rm -f "$zip"
(cd "$stage_root" && zip -q -r -X "$zip" "$folder")
echo "package-windows: $zip ($(du -h "$zip" | cut -f1))"

setup=$build/hengjian-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DSTAGE="$stage" -DFILES_IN="$files_in" -DFILES_OUT="$files_out" \
  -DOUTFILE="$setup" "$build/hengjian.nsi"
echo "package-windows: $setup ($(du -h "$setup" | cut -f1))"
