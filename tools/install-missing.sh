#!/usr/bin/env bash
# Installs, through apt, only what this machine lacks for one purpose:
#   install-missing.sh build   the compiler, CMake and make (or Ninja): enough to build the game
#   install-missing.sh check   that, and the tools of the tests: GoogleTest, tmux, clang with its
#                              fuzzer runtime, clang-format
set -euo pipefail

purpose=${1:-build}
if [[ $purpose != build && $purpose != check ]]; then
    echo "usage: $0 build|check" >&2
    exit 2
fi

missing=()
need() {  # need <package> <test command...>
    local package=$1
    shift
    if ! "$@" >/dev/null 2>&1; then missing+=("$package"); fi
}
need cmake command -v cmake
need g++ command -v g++
if ! command -v ninja >/dev/null 2>&1; then need make command -v make; fi
if [[ $purpose == check ]]; then
    need libgtest-dev test -e /usr/include/gtest/gtest.h
    need tmux command -v tmux
    need clang command -v clang++
    need libclang-rt-dev bash -c 'ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
    need clang-format command -v clang-format
fi

if ((${#missing[@]} == 0)); then exit 0; fi
echo "installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "missing: ${missing[*]}; install them as root (apt-get install ${missing[*]})" >&2
        exit 1
    fi
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
