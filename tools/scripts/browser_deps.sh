#!/usr/bin/env bash
# Installs what the browser tests need from npm (playwright-core, at the
# version tests/browser/package-lock.json pins) into build/browser, once.
# No browser is downloaded: the tests drive Debian's chromium.
source "$(dirname "$0")/common.sh"
target=$root/build/browser
if cmp -s tests/browser/package-lock.json "$target/package-lock.json" && [[ -d $target/node_modules/playwright-core ]]; then
    exit 0
fi
[[ -x /usr/bin/chromium ]] || die "chromium is not installed (tools/scripts/ensure_deps.sh installs it)"
command -v npm >/dev/null || die "npm is not installed (tools/scripts/ensure_deps.sh installs it)"
mkdir -p "$target"
cp tests/browser/package.json tests/browser/package-lock.json "$target/"
(cd "$target" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 within 600 npm ci --no-audit --no-fund --loglevel=error) ||
    die "npm could not install playwright-core"
