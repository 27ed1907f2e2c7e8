#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; touches the
# network only when one of them is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  cyclonedds-dev cyclonedds-tools
  libabsl-dev rapidjson-dev pybind11-dev
  libgtest-dev libgmock-dev
  libspdlog-dev libbenchmark-dev rt-tests
  libmujoco-dev gnuplot-nox
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
