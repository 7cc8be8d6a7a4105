#!/bin/sh
# The man page that `bevorel_man` ($1) writes, as groff's man macros read it:
# a page must come out, and any warning of any kind fails.
set -e
page=$("$1")
[ -n "$page" ] || { echo "bevorel_man wrote no page"; exit 1; }
warnings=$(printf '%s\n' "$page" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
