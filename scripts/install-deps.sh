#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
#   scripts/install-deps.sh            what the build and the demo need
#   scripts/install-deps.sh --test     also the tools only tests run: rsvg-convert, headless
#                                      Chromium and its WebDriver, Slurm and munge
#   scripts/install-deps.sh --windows  also the Windows cross compiler, Wine and GoogleTest's
#                                      sources
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config binutils
  libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev
  libopenimageio-dev openimageio-tools libcli11-dev nlohmann-json3-dev libexpat1-dev
  libcpp-httplib-dev libssl-dev
)
for argument in "$@"; do
  case "$argument" in
    --test) packages+=(librsvg2-bin chromium chromium-driver slurm-wlm munge) ;;
    --windows) packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest) ;;
    *)
      echo "install-deps.sh: unknown argument '$argument' (known: --test, --windows)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
