#!/bin/sh
# Installs the pinned checkers of the OpenAPI document with `npm ci`, once and
# again whenever package-lock.json changed.
set -eu
cd "$(dirname "$0")"
if cmp -s package-lock.json node_modules/.installed-lock 2>/dev/null; then
  exit 0
fi
npm ci --no-audit --no-fund --loglevel=error
cp package-lock.json node_modules/.installed-lock
