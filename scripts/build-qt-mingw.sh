#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's own source of the installed Qt version,
# once per machine, so that the desktop program can be cross-built and its window tests run under
# wine. Static: the program is one .exe, as the command line already is (the runtime is linked in),
# so it runs from any folder, under wine and from the installer without Qt DLLs or plugin folders
# to find, and the Qt features are chosen here once.
#
#   scripts/build-qt-mingw.sh            builds into ~/.cache/hengjian/qt-<version>-mingw (or
#                                        $HJ_QT_MINGW_CACHE/qt-<version>-mingw), reused when present
#   scripts/build-qt-mingw.sh --prefix   prints that folder and exits (0 when it is complete)
#
# zlib and libpng are cross-built first into the same folder: Qt and the program link one libpng.
# The sources are fetched with apt-get in an apt state of its own (the system's sources are not
# changed); apt checks them against the archive's signed index, dpkg-source checks the tarballs
# against the .dsc (and its signature when a Debian keyring is installed).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${HJ_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/hengjian}
jobs=${JOBS:-$(nproc)}
triplet=x86_64-w64-mingw32

qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$qt_deb_version" ]; then
  echo "build-qt-mingw: qt6-base-dev is not installed (scripts/setup-deps.sh installs it)" >&2
  exit 1
fi
qt_version=${qt_deb_version#*:}
qt_version=${qt_version%%[+~-]*}
prefix=$cache/qt-$qt_version-mingw
stamp=$prefix/.complete

if [ "${1:-}" = --prefix ]; then
  echo "$prefix"
  [ -f "$stamp" ]
  exit
fi
if [ -f "$stamp" ]; then
  echo "build-qt-mingw: Qt $qt_version for MinGW-w64 is ready in $prefix"
  exit 0
fi

start=$(date +%s)
step() { printf '[build-qt-mingw %s, %dm%02ds] %s\n' "$(date -u +%H:%M:%S)" \
  $(( ($(date +%s) - start) / 60 )) $(( ($(date +%s) - start) % 60 )) "$*"; }

for tool in $triplet-gcc-posix $triplet-g++-posix cmake ninja dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-qt-mingw: $tool is missing (scripts/setup-deps.sh windows)" >&2; exit 1; }
done

work=$cache/build-qt-$qt_version-mingw
mkdir -p "$work/src"
mkdir -p "$prefix"

# --- the sources -------------------------------------------------------------------------------
aptdir=$work/apt
mkdir -p "$aptdir/sources.list.d" "$aptdir/lists/partial" "$aptdir/cache/archives/partial"
: >"$aptdir/sources.list"
# The system's own archives, as deb-src entries.
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  case "$f" in
    *.sources) sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$aptdir/sources.list.d/$(basename "$f")" ;;
    *) grep -E '^deb ' "$f" | sed -E 's/^deb /deb-src /' >"$aptdir/sources.list.d/$(basename "$f").list" || true ;;
  esac
done
apt=(apt-get -q -o Dir::Etc::SourceList="$aptdir/sources.list" -o Dir::Etc::SourceParts="$aptdir/sources.list.d"
     -o Dir::State::Lists="$aptdir/lists" -o Dir::Cache="$aptdir/cache" -o Debug::NoLocking=1)
if [ "$(id -u)" -eq 0 ]; then apt+=(-o APT::Sandbox::User=root); fi

# The source of the version installed, else the others the archive lists, newest first (a
# mirror may lack one pool, e.g. the security archive's).
fetch() {  # fetch SOURCE-PACKAGE INSTALLED-BINARY-PACKAGE DIR
  local pkg=$1 bin=$2 dir=$3
  if [ -d "$dir" ]; then return; fi
  local dl=$work/src/dl-$pkg ver got=""
  local versions=("$(dpkg-query -W -f='${source:Version}' "$bin" 2>/dev/null || true)")
  mapfile -t -O 1 versions < <(apt-cache "${apt[@]:1}" showsrc "$pkg" 2>/dev/null \
    | sed -n 's/^Version: //p' | sort -u | sort -rV)
  # Qt itself must be the version of the host tools that build for it.
  if [ "$pkg" = qt6-base ]; then versions=("$qt_deb_version"); fi
  for ver in "${versions[@]}"; do
    [ -n "$ver" ] || continue
    rm -rf "$dl"; mkdir -p "$dl"
    if (cd "$dl" && "${apt[@]}" source --download-only "$pkg=$ver" >"$dl/fetch.log" 2>&1); then got=$ver; break; fi
    step "  $pkg $ver could not be fetched; trying another version"
  done
  [ -n "$got" ] || { cat "$dl/fetch.log" >&2; exit 1; }
  local dsc
  dsc=$(ls "$dl"/*.dsc)
  local check=(--require-strong-checksums)
  if [ -f /usr/share/keyrings/debian-keyring.gpg ]; then check+=(--require-valid-signature); fi
  dpkg-source "${check[@]}" -x "$dsc" "$dir" >"$dl/extract.log" 2>&1 || { cat "$dl/extract.log" >&2; exit 1; }
  local sig="uploader's signature checked"
  if ! grep -q -- --require-valid-signature <<<"${check[*]}"; then
    sig="uploader's signature not checked (no debian-keyring; the .dsc came through apt's signed index)"
  fi
  step "  $(basename "$dsc"): checksums verified, $sig; unpacked with Debian's patches"
}

step "fetching Debian's sources (qt6-base $qt_deb_version, zlib, libpng1.6)"
"${apt[@]}" update >"$work/apt-update.log" 2>&1 || { cat "$work/apt-update.log" >&2; exit 1; }
fetch zlib zlib1g "$work/src/zlib"
fetch libpng1.6 libpng16-16 "$work/src/libpng"
fetch qt6-base libqt6core6 "$work/src/qtbase"

export PATH=$PATH  # the -posix compilers are named explicitly below
cc=$triplet-gcc-posix

# --- zlib ----------------------------------------------------------------------------------------
if [ -f "$prefix/lib/libz.a" ]; then step "zlib: built before"; else
step "zlib"
# Debian's source leaves out the Windows makefiles: the library is its fifteen C files.
rm -rf "$work/build-zlib"; mkdir -p "$work/build-zlib" "$prefix/lib" "$prefix/include"
(
  cd "$work/build-zlib"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    $cc -O2 -D_LARGEFILE64_SOURCE=1 -c "$work/src/zlib/$f.c" -o $f.o
  done
  $triplet-ar rcs libz.a ./*.o
  cp libz.a "$prefix/lib/"
  cp "$work/src/zlib/zlib.h" "$work/src/zlib/zconf.h" "$prefix/include/"
) >"$work/zlib.log" 2>&1 || { tail -30 "$work/zlib.log" >&2; exit 1; }
fi

# --- libpng --------------------------------------------------------------------------------------
if [ -f "$prefix/lib/libpng16.a" ]; then step "libpng: built before"; else
step "libpng"
rm -rf "$work/build-libpng"; mkdir -p "$work/build-libpng"
(
  cd "$work/build-libpng"
  "$work/src/libpng/configure" --host=$triplet --prefix="$prefix" --disable-shared --enable-static \
    CC=$cc CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" >"$work/libpng.log" 2>&1
  make -j"$jobs" install >>"$work/libpng.log" 2>&1
) || { tail -30 "$work/libpng.log" >&2; exit 1; }
fi

# --- qtbase --------------------------------------------------------------------------------------
step "qtbase: configuring"
# An interrupted build resumes where it stopped (ninja knows what is done).
build=$work/build-qtbase
export HJ_MINGW_PREFIX=$prefix
cmake -S "$work/src/qtbase" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6HostInfo/')")")" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DQT_GENERATE_SBOM=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_opengl_dynamic=OFF -DINPUT_opengl=no \
  -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF -DFEATURE_directwrite=ON \
  -DFEATURE_system_zlib=ON -DFEATURE_png=ON -DFEATURE_system_png=ON -DFEATURE_jpeg=OFF \
  -DZLIB_ROOT="$prefix" -DPNG_ROOT="$prefix" \
  ${HJ_QT_EXTRA_FLAGS:-} >"$work/qtbase-configure.log" 2>&1 \
  || { tail -60 "$work/qtbase-configure.log" >&2; exit 1; }
grep -E '^ *(Qt Gui|  PNG|  Using system|  DirectWrite|  Direct2D|  OpenGL|  Windows|  FreeType|  HarfBuzz)' \
  "$work/qtbase-configure.log" | head -30 || true

step "qtbase: building (about half an hour on two cores)"
total=$(ninja -C "$build" -n 2>/dev/null | grep -c '^\[' || true)
ninja -C "$build" -j"$jobs" >"$work/qtbase-build.log" 2>&1 &
pid=$!
while kill -0 $pid 2>/dev/null; do
  sleep 60
  done_now=$(grep -oE '^\[[0-9]+/[0-9]+\]' "$work/qtbase-build.log" | tail -1 || true)
  step "qtbase: $done_now of about $total steps"
done
if ! wait $pid; then
  grep -nE 'error|FAILED' "$work/qtbase-build.log" | head -30 >&2
  echo "build-qt-mingw: the Qt build failed; log: $work/qtbase-build.log" >&2
  exit 1
fi

step "qtbase: installing"
cmake --install "$build" >"$work/qtbase-install.log" 2>&1
echo "qt6-base $qt_deb_version, zlib and libpng from Debian's source, built $(date -u +%FT%TZ)" >"$stamp"
step "done: Qt $qt_version for MinGW-w64 in $prefix ($(du -sh "$prefix" | cut -f1))"
