#!/usr/bin/env bash
# Install what is missing, build, then run the station on the simulated bench, run every
# test, run the benchmarks, build the Debian package or run the lab page on two simulated
# benches:  bash tools/dev.sh run|test|bench|package|lab
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-test}
packages=(cmake g++ make git pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev libbenchmark-dev
          fonts-wqy-microhei qt6-translations-l10n xvfb xauth python3-pandas clang-format dpkg-dev file
          desktop-file-utils appstream clang libclang-rt-14-dev libpq-dev postgresql
          libcpp-httplib-dev nodejs chromium)
# Debian's npm only where no npm is on the path (a node from elsewhere brings its own).
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
  elif command -v sudo >/dev/null; then
    sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
  else
    echo "Missing packages; run as root: apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

case "$what" in
  test)
    # Every source file formatted as .clang-format says; clang-format names each line that is not.
    find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror
    ctest --test-dir build --output-on-failure -j"$(nproc)"
    # The core and widget tests once more under AddressSanitizer and UndefinedBehaviorSanitizer,
    # in a build of their own (no station program, integration tests or benchmarks).
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLV_SANITIZE=ON >/dev/null
    cmake --build build-asan -j"$(nproc)"
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
    # Every fuzz target of the readers for a few seconds from its seed corpus (libFuzzer, clang).
    CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLV_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j"$(nproc)"
    ctest --test-dir build-fuzz --output-on-failure -j"$(nproc)"
    bash tools/check_package.sh build
    ;;
  package)
    bash tools/check_package.sh build
    ;;
  bench)
    build/bench/klv-bench
    ;;
  run)
    exec bash tools/demo.sh
    ;;
  lab)
    exec bash tools/lab_demo.sh
    ;;
  *)
    echo "usage: $0 run|test|bench|package|lab" >&2
    exit 2
    ;;
esac
