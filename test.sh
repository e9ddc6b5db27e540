#!/usr/bin/env bash
# Builds everything and runs every test: a plain build (its widget suites once more shuffled,
# and the programs once more with CMake's default generator), then the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer,
# and the fuzzers for a bounded time. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
# Qt is not built with the sanitizer: only the project's own accesses are checked.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1

configure_build() { # folder, extra cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
  cmake --build "$dir" -j "$jobs"
}

echo "== plain build"
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j "$jobs"
# Every widget test alone above; here all of them in one process, in an order of chance
# (--gtest_random_seed with the printed seed repeats it).
seed=$((RANDOM % 99999 + 1))
echo "== widget suites shuffled, seed $seed"
build/tests/ui_tests --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1

echo "== the Debian package, unpacked, installed and removed"
bash scripts/check-package.sh build

echo "== the programs with CMake's default generator, as a new user builds them"
cmake -S . -B build-make -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_BUILD_TESTS=OFF > build-make.configure.log 2>&1 ||
  { cat build-make.configure.log; exit 1; }
cmake --build build-make -j "$jobs" --target dovrelplinvara dovrelplinvara-render

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DDP_SANITIZE=address,undefined
ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -f tests/tsan-tests.txt ]; then
  echo "== ThreadSanitizer"
  configure_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DDP_SANITIZE=thread
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R "$(paste -sd'|' tests/tsan-tests.txt)"
fi

if [ -d fuzz ] && [ -f fuzz/CMakeLists.txt ]; then
  echo "== fuzzers"
  configure_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DDP_BUILD_FUZZ=ON -DDP_BUILD_UI=OFF -DDP_BUILD_TESTS=OFF -DDP_SANITIZE=address,undefined
  bash fuzz/run-fuzzers.sh build-fuzz "${FUZZ_SECONDS:-60}"
fi

echo "== all tests passed"
