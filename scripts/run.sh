#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarnwick on the bundled sample key file (or on the file given).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exec "${TARNWICK_BUILD_DIR:-$root/build}/src/app/tarnwick" "${1:-$root/samples/tarnwick-sample.key}"
