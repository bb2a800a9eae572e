#!/usr/bin/env bash
# Builds Korvid and starts it with the files given.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target korvid
exec "$root/build/app/korvid" "$@"
