#!/usr/bin/env bash
# Installs, through apt, only what this machine lacks for building and testing the game.
set -euo pipefail

missing=()
need() {  # need <package> <test command...>
    local package=$1
    shift
    if ! "$@" >/dev/null 2>&1; then missing+=("$package"); fi
}
need cmake command -v cmake
need g++ command -v g++
need make command -v make
need libgtest-dev test -e /usr/include/gtest/gtest.h
need tmux command -v tmux
need clang command -v clang++
need libclang-rt-dev bash -c 'ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
need clang-format command -v clang-format

if ((${#missing[@]} == 0)); then exit 0; fi
echo "installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
