#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those missing.
# Further package names given as arguments are checked too (scripts/lint
# asks for its analysers this way).
set -eu
packages=(cmake make g++ pkg-config libncurses-dev libgtest-dev libgmock-dev
          libbenchmark-dev tmux clang libclang-rt-dev libcli11-dev
          libtomlplusplus-dev nlohmann-json3-dev groff-base "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
