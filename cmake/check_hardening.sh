#!/bin/sh
# Checks a built executable for the hardening a shipped build must carry, as readelf shows it.
# Usage: check_hardening.sh BINARY
set -u
binary=$1
failed=0

fail() {
  echo "not hardened: $1" >&2
  failed=1
}

dynamic=$(readelf -W --dynamic "$binary") || exit 1
segments=$(readelf -W --segments "$binary") || exit 1
symbols=$(readelf -W --dyn-syms "$binary") || exit 1

echo "$dynamic" | grep -Eq 'FLAGS_1.*\bPIE\b' || fail "not a position-independent executable"
echo "$segments" | grep -q 'GNU_RELRO' || fail "no RELRO segment"
echo "$dynamic" | grep -Eq '\(BIND_NOW\)|FLAGS.*\bNOW\b' || fail "symbols bound lazily (partial RELRO only)"
# GNU_STACK's flags: RW for a non-executable stack, RWE for an executable one.
stack=$(echo "$segments" | grep 'GNU_STACK')
[ -n "$stack" ] || fail "no GNU_STACK segment (the stack defaults to executable)"
echo "$stack" | grep -q 'RWE' && fail "executable stack"
echo "$symbols" | grep -q '__stack_chk_fail' || fail "no stack protector"
echo "$symbols" | grep -v '__stack_chk' | grep -Eq '__[a-z0-9_]+_chk(@|\b)' || fail "no fortified libc calls"

[ "$failed" -eq 0 ] && echo "hardened: PIE, full RELRO, non-executable stack, stack protector, fortified calls"
exit "$failed"
