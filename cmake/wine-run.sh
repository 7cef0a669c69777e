#!/bin/sh
# Runs a Windows test executable under Wine: wine-run.sh PREFIX program.exe [args...]
# The prefix belongs to one build folder; the test script initialises it and keeps one
# wineserver alive for the whole run.
prefix="$1"; shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
