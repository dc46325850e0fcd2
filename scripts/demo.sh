#!/usr/bin/env bash
# The demonstration, for now: the framework bundle's description file, staged in the
# install root, read through the platform's property-list layer and written back out,
# then checked for an exact round trip.
set -euo pipefail
build="${1:?usage: demo.sh BUILD_DIR}"
info="$build/root/Library/Printers/Tarvel/Orvo/Orvo.framework/Contents/Info.plist"
echo "== $info, as read and written by the platform layer"
"$build/tools/plist/orvo-plist" "$info"
echo "== its description"
"$build/tools/plist/orvo-plist" --describe "$info"
"$build/tools/plist/orvo-plist" --check "$info"
