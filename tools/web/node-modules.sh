#!/usr/bin/env bash
# Installs puppeteer-core (the browser driver only, no browser download) from npm at the versions
# of package-lock.json, once, into a cache folder that later runs reuse; prints its node_modules.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${ZARVOK_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zarvok-web}
key=$(cat "$here/package.json" "$here/package-lock.json" | sha256sum | cut -c1-16)
folder="$cache/node-$key"
if [ ! -f "$folder/.complete" ]; then
  mkdir -p "$cache"
  exec 9>"$cache/.node-lock"
  flock 9
  if [ ! -f "$folder/.complete" ]; then
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$here/package.json" "$here/package-lock.json" "$folder/"
    (cd "$folder" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >&2)
    touch "$folder/.complete"
  fi
fi
echo "$folder/node_modules"
