#!/usr/bin/env bash
# Runs web/test/page_test.js on the built site with its pinned DevTools-protocol
# client, installed from the lockfile into the build directory (npm's cache
# serves it again without the network).
# Usage: page_test.sh SITE SOURCE_DIR WORK_DIR DEMO_ZIP PROGRAM PNG_HASHER
set -euo pipefail
site=$1 source=$2 work=$3 zip=$4 program=$5 hasher=$6
if [ ! -f "$site/index.html" ] || [ ! -f "$site/bevorel.wasm" ]; then
  echo "FAIL: no browser build in $site: run make web first"
  exit 1
fi
if [ ! -x /usr/bin/chromium ]; then
  echo "FAIL: /usr/bin/chromium is missing (Debian's chromium, tools/install-deps.sh): the page cannot be tested"
  exit 1
fi
mkdir -p "$work/client"
if ! cmp -s "$source/web/test/package-lock.json" "$work/client/package-lock.json" || [ ! -d "$work/client/node_modules" ]; then
  cp "$source/web/test/package.json" "$source/web/test/package-lock.json" "$work/client/"
  (cd "$work/client" && npm ci --ignore-scripts --no-audit --no-fund --prefer-offline)
fi
NODE_PATH="$work/client/node_modules" exec node "$source/web/test/page_test.js" "$site" \
  "$source/tests/e2e/demo_test.cpp" "$zip" "$work" "$program" "$hasher"
