#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent: quiet, and without
# touching the network, when everything is already installed.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    clang libclang-rt-14-dev clang-format
    libexpat1-dev libpng-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    python3
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
    SUDO=(sudo)
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq >/dev/null
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
