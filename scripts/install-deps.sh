#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
#   --farm  also Slurm and munge, for the farm test (never needed by the demo)
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config binutils
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenimageio-dev openimageio-tools libcli11-dev nlohmann-json3-dev
)
for argument in "$@"; do
  case "$argument" in
    --farm) packages+=(slurm-wlm munge) ;;
    *) echo "install-deps.sh: unknown argument '$argument'" >&2; exit 2 ;;
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
