#!/bin/sh
# The program is hardened: hardening-check passes on it, and the program's own code carries the
# control-flow protection marks of its processor, x86-64's IBT and SHSTK or arm64's BTI and PAC
# (GCC has none for 32-bit ARM). The linked program cannot carry them on Debian 12, whose C
# start-up files have none, so hardening-check's test of that is replaced by a look at the
# objects. On arm64 its stack clash test, which reads x86 instructions, says "unknown", which
# does not fail it.
# Usage: hardening_test.sh PROGRAM "OBJECT;OBJECT..."
set -eu
machine=$(readelf -h "$1" | sed -n 's/^ *Machine: *//p')
case $machine in
  *X86-64*) marks="x86 feature: IBT, SHSTK" ;;
  AArch64) marks="AArch64 feature: BTI, PAC" ;;
  *) marks="" ;;
esac
hardening-check --nocfprotection "$1"
if [ -z "$marks" ]; then
  echo "control-flow protection: none that GCC gives $machine"
  exit 0
fi
echo "$2" | tr ';' '\n' | while read -r object; do
  if ! readelf -n "$object" | grep -q "$marks"; then
    echo "FAIL: $object has no control-flow protection ($marks)"
    exit 1
  fi
done
echo "control-flow protection: $marks in every object of $(basename "$1")"
