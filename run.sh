#!/usr/bin/env bash
# What can be run today: the configuration document core, reading and saving real Apache
# configurations and a generated 100,000-directive one, with its speed and memory figures.
# (The editor's window arrives with the main-window work; this script will start it then.)
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh cmake make g++ googletest
cmake --preset native >/dev/null
cmake --build --preset native --target document_bench make_bench_config
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp testdata/apache-1.3-split/*-dist-win "$work/"
echo "== the Apache 1.3 distribution files, saved into $work/out"
mkdir "$work/out"
build/native/bench/document_bench --out "$work/out" "$work"/*-dist-win
echo "== a generated configuration of 100,000 directives"
build/native/bench/make_bench_config 100000 > "$work/big.conf"
build/native/bench/document_bench "$work/big.conf"
