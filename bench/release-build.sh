# Sourced by the benchmarks: installs what is missing, builds the release (the targets given, or
# everything) and makes "$tmp", removed when the benchmark ends.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build build/release ${1:+--target "$@"} >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
