#!/usr/bin/env bash
# Starts or stops the Wine session in which the end-to-end tests run the Windows programs:
#   wine_session.sh start|stop PREFIX WINESERVER LOADER
# A persistent wineserver brings a program run down to a few hundredths of a second. Crashes
# must not start a debugger that could print on a program's standard output.
set -euo pipefail
action=$1 prefix=$2 wineserver=$3 loader=$4
export WINEPREFIX=$prefix WINEDEBUG=-all
case "$action" in
  start)
    mkdir -p "$prefix"
    "$wineserver" -k 2>/dev/null || true  # a session left over by an interrupted run
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$loader" wineboot --init </dev/null >/dev/null 2>&1
    "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d 'no-such-debugger.exe' /f </dev/null >/dev/null 2>&1
    "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Auto /t REG_SZ /d 1 /f </dev/null >/dev/null 2>&1
    ;;
  stop)
    "$wineserver" -k || true
    ;;
esac
