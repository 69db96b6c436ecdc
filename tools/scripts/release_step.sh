#!/usr/bin/env bash
# The release as a user meets it, on the 32-bit build: the package that
# ./package wrote unzipped into a fresh prefix, its simulated card registered
# by its own register.cmd, and Azimora started from the unzipped folder and
# driven by build/win/releasetests.exe (tests/release/). ./test runs it here
# or in the private root of Debian's main suite
# (tools/scripts/private_root.sh); the GoogleTest log goes to standard output.
#   release_step.sh dist/Azimora-VERSION-win32.zip
source "$(dirname "$0")/common.sh"
zip=$(cd "$called_from" && realpath -e "${1:?usage: release_step.sh ZIP}") || die "no package $1 (./package writes it)"
folder=$(basename "$zip" -win32.zip)
source tools/scripts/wine_env.sh
use_windows_build 32
[[ -x $AZM_WIN/releasetests.exe ]] || die "$AZM_WIN/releasetests.exe is not built (tools/scripts/build.sh win32)"
wine_session "$root/build/wine-release" fresh
drive_c=$WINEPREFIX/drive_c
within 60 unzip -q "$zip" -d "$drive_c" || die "cannot unzip $zip"
[[ -f $drive_c/$folder/Azimora.exe && -f $drive_c/$folder/simcard/register.cmd ]] ||
    die "$(basename "$zip") holds no $folder/Azimora.exe and $folder/simcard/register.cmd"
echo "Unzipped $(basename "$zip") into C:\\$folder; registering its card with C:\\$folder\\simcard\\register.cmd"
(cd "$drive_c/$folder/simcard" && within 60 wine cmd /c register.cmd) || die "register.cmd failed"
within 300 wine "$AZM_WIN/releasetests.exe" "C:\\$folder"
