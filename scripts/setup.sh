#!/usr/bin/env bash
# Installs the Debian packages Tav Explorer needs (only those missing) and builds the project.
# Usage: scripts/setup.sh [release|sanitize|fuzz]...   (default: release)
# TAV_TARGETS="a b" builds only those targets; TAV_CMAKE_ARGS adds options to the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang and its runtime libraries (libFuzzer, the sanitizers) build the fuzz targets.
PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev libexpat1-dev libcsv-dev nlohmann-json3-dev qt6-base-dev
          libminizip-dev libfreexl-dev libreadstat-dev libxlsxwriter-dev libsqlite3-dev
          pybind11-dev python3-dev python3-pytest python3-pandas libpq-dev postgresql
          xvfb xauth poppler-utils clang libclang-rt-14-dev)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
for flavour in "${@:-release}"; do
    extra=()
    case "$flavour" in
        release) dir=build; type=RelWithDebInfo ;;
        sanitize) dir=build-sanitize; type=Sanitize ;;
        fuzz) dir=build-fuzz; type=RelWithDebInfo
              extra=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAV_BUILD_FUZZ=ON
                     -DTAV_BUILD_GUI=OFF -DTAV_BUILD_TESTS=OFF) ;;
        *) echo "unknown build: $flavour" >&2; exit 2 ;;
    esac
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${extra[@]}" ${TAV_CMAKE_ARGS:-}
    # TAV_TARGETS limits the build to some targets (run.sh builds only the two programs).
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" ${TAV_TARGETS:+--target $TAV_TARGETS}
done
