#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: the package lists
# are refreshed and apt-get runs only when something is missing. "setup-deps.sh windows" adds the
# cross compiler and wine of `make test-windows`; "package-windows" also NSIS and zip.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libicu-dev libpng-dev tzdata
  fonts-wqy-microhei qt6-translations-l10n
  xvfb xauth
  desktop-file-utils appstream python3
)

if [ "${1:-}" = windows ] || [ "${1:-}" = package-windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64)
fi
# The Windows installer is made with NSIS; the zip with zip. NSIS writes a 32-bit installer,
# which wine runs only with its 32-bit half (wine32, from the i386 architecture).
if [ "${1:-}" = package-windows ]; then
  packages+=(nsis zip wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
case " ${missing[*]} " in
  *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
