#!/usr/bin/env bash
# Installs the build and test tools that are missing on a Debian machine.
set -euo pipefail
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
command -v clang++ >/dev/null 2>&1 || need+=(clang)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
[ -f /usr/include/libyuv.h ] || need+=(libyuv-dev)
[ -f /usr/include/png.h ] || need+=(libpng-dev)
[ -f /usr/include/jpeglib.h ] || need+=(libjpeg62-turbo-dev)
command -v tiffinfo >/dev/null 2>&1 || need+=(libtiff-tools)
# Debian's interpreter, not whatever python3 comes first on PATH, carries the package.
/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1 || need+=(python3-pil)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${need[@]}"
fi
