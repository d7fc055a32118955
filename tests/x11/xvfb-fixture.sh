#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorvane
#
# A private X server for the window tests, as a CTest fixture, so that ctest
# in any build tree needs no display of its own:
#   xvfb-fixture.sh start FILE       starts Xvfb on the first free display and
#                                    writes its name and process id to FILE
#   xvfb-fixture.sh stop FILE        stops it
#   xvfb-fixture.sh run FILE CMD...  runs CMD with DISPLAY set to it
# -noreset keeps the server's state when its last client disconnects, so
# tests that open and close their own connections see one server throughout.
set -euo pipefail
action=$1 file=$2
shift 2
case "$action" in
  start)
    for n in $(seq 150 250); do
      [ -e "/tmp/.X$n-lock" ] && continue
      setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset > "$file.log" 2>&1 < /dev/null &
      pid=$!
      for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
      if kill -0 "$pid" 2> /dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        echo ":$n $pid" > "$file"
        exit 0
      fi
      kill "$pid" 2> /dev/null || true
    done
    echo "xvfb-fixture: no display could be started"; cat "$file.log" 2> /dev/null
    exit 1
    ;;
  stop)
    [ -f "$file" ] || exit 0
    read -r _ pid < "$file"
    kill "$pid" 2> /dev/null || true
    rm -f "$file"
    ;;
  run)
    [ -f "$file" ] || { echo "xvfb-fixture: no server (run the fixture's start first)"; exit 1; }
    read -r display _ < "$file"
    DISPLAY=$display exec "$@"
    ;;
  *) echo "usage: $0 start|stop|run FILE [CMD...]"; exit 2 ;;
esac
