#!/bin/sh
# make_icon ($1) draws each size asked for as a PNG of that size, as file(1)
# reads it; no size, a size that is not a multiple of 16 and a directory
# that cannot be written are refused with their statuses.
set -u
icon=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
"$icon" "$dir" 16 48 256 || fail "status $? for 16 48 256"
for size in 16 48 256; do
    file "$dir/$size.png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "$size.png: $(file "$dir/$size.png")"
done
"$icon" "$dir" 2>/dev/null
[ $? -eq 2 ] || fail "no size given was not refused with status 2"
"$icon" "$dir" 20 2>/dev/null
[ $? -eq 2 ] || fail "size 20 was not refused with status 2"
"$icon" /nonexistent/dir 16 2>/dev/null
[ $? -eq 1 ] || fail "an unwritable directory was not refused with status 1"
echo "PASS: each size drawn, each bad request refused"
