#!/usr/bin/env bash
# Starts the desktop program from a build folder; without one (no Qt), shows the command line.
set -euo pipefail
build=${1:-build}
if [ -x "$build/bin/hengjian" ]; then
  exec "$build/bin/hengjian"
fi
exec "$build/bin/hengjian-cli" --help
