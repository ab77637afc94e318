#!/usr/bin/env bash
# The Debian packages the project needs, listed once; sourced by the other scripts.
ORB_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libssl-dev zlib1g-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev lld
  qt6-base-dev libx11-dev libxtst-dev
  xvfb xauth xdotool openbox xclip
  libcli11-dev
  help2man
)

# Installs whatever is missing (needs root, as on a fresh machine).
orb_install_deps() {
  local missing=() pkg
  for pkg in "${ORB_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configures and builds one build directory: orb_build DIR [cmake options...] [-- targets...]
# Without targets, everything is built.
orb_build() {
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
  done
  if [ $# -gt 0 ]; then shift; fi
  targets=("$@")
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" --target "${targets[@]}"
  else
    cmake --build "$dir"
  fi
}
