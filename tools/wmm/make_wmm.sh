#!/usr/bin/env bash
# Regenerates cardbase/pointing/wmm2025_coefficients.cpp: the World Magnetic
# Model 2025 (NOAA and the British Geological Survey, epoch 2025.0, valid to
# 2030.0) as npm's geomagnetism package carries it (data/wmm-2025.json, read
# from the model's WMM.COF), at the version and integrity that
# tests/browser/package-lock.json pins, where the reference tests take the
# same package from. The build compiles the committed file and needs neither
# npm nor this script.
#   tools/wmm/make_wmm.sh
source "$(dirname "$0")/../scripts/common.sh"
command -v npm >/dev/null || die "npm is not installed"
read -r version integrity < <(node -e '
    const p = require(process.argv[1]).packages["node_modules/geomagnetism"];
    console.log(p.version + " " + p.integrity);' "$root/tests/browser/package-lock.json")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && within 300 npm pack --silent "geomagnetism@$version" >/dev/null) || die "npm could not fetch geomagnetism $version"
tarball=$(ls "$work"/geomagnetism-*.tgz)
actual="sha512-$(openssl dgst -sha512 -binary "$tarball" | base64 -w0)"
[[ $actual == "$integrity" ]] || die "geomagnetism $version is not the package the lock file pins ($actual)"
tar -xzf "$tarball" -C "$work"
output=cardbase/pointing/wmm2025_coefficients.cpp
node tools/wmm/wmm_to_cpp.js "$work/package/data/wmm-2025.json" "geomagnetism $version" >"$output.new"
mv "$output.new" "$output"
clang-format -i "$output"
echo "make_wmm: wrote $output from geomagnetism $version"
