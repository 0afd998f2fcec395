#!/bin/sh
# The program is hardened: hardening-check passes on it, and the program's own code carries the
# control-flow protection marks. The linked program cannot carry them on Debian 12, whose C
# start-up files have none, so hardening-check's test of that is replaced by a look at the
# objects. Usage: hardening_test.sh PROGRAM "OBJECT;OBJECT..."
set -eu
hardening-check --nocfprotection "$1"
echo "$2" | tr ';' '\n' | while read -r object; do
  if ! readelf -n "$object" | grep -q "x86 feature: IBT, SHSTK"; then
    echo "FAIL: $object has no control-flow protection"
    exit 1
  fi
done
echo "control-flow protection: in every object of $(basename "$1")"
