#!/usr/bin/env bash
# Builds and makes the download for Windows users, dist/quillmoor-screen-saver-<version>.zip:
# the 32-bit .scr at the top, its 64-bit twin in 64-bit/, README.txt (CRLF, for Notepad),
# CREDITS.md, LICENSE and SHA256SUMS of the other files. The version is the version block's
# ProductVersion. Entries carry the last commit's time, so the same tree gives the same zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" >/dev/null
cd "$root"
version=$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' resources/quillmoor.rc)
[[ -n $version ]] || { echo "no ProductVersion in resources/quillmoor.rc" >&2; exit 1; }
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
mkdir -p dist
readme=$(cat <<EOF
Quillmoor Screen Saver $version

A picture slideshow screen saver for Windows 7 and later. It fills the screen with the
pictures (BMP, JPEG, GIF) of a folder you choose, one after the other, each shrunk to fit
and centred, with a short chime. At 8, 10, 12 and 17 o'clock a red greeting scrolls across
the pictures. A key press or a few mouse moves end it.

INSTALL
  Put "Quillmoor Screen Saver.scr" where it will stay (Windows runs it from there),
  right-click it and choose Install. Windows opens its screen saver settings with
  Quillmoor Screen Saver chosen. It needs nothing beside it. On 64-bit Windows you may use
  the file in the 64-bit folder instead; both do the same.

SETTINGS
  Click Settings... there (or right-click the .scr and choose Configure): pick the picture
  folder, the interval in seconds (used only for folders of more than 100 pictures) and a
  white background, then click Change Path. Without settings the show uses the pictures in
  the folder of the .scr itself. The small preview stays empty: there is no preview mode.

UNINSTALL
  Choose another screen saver (or None), delete the .scr file, and delete its settings,
  the registry key
    HKEY_CURRENT_USER\Software\Quillmoor Screen Saver
  with regedit, or in a command prompt:
    reg delete "HKCU\Software\Quillmoor Screen Saver" /f

FILES
  Quillmoor Screen Saver.scr          the screen saver (32-bit)
  64-bit\Quillmoor Screen Saver.scr   the same for 64-bit Windows
  LICENSE                             MIT licence
  CREDITS.md                          who made what (the sample photos it lists come
                                      with the source code, not with this download)
  SHA256SUMS                          check with: certutil -hashfile FILE SHA256
EOF
)
python3 - "dist/quillmoor-screen-saver-$version.zip" "$stamp" "$readme" <<'EOF'
import hashlib
import sys
import time
import zipfile

out, stamp, readme = sys.argv[1], int(sys.argv[2]), sys.argv[3]
files = [
    ("Quillmoor Screen Saver.scr", open("build/win/Quillmoor Screen Saver.scr", "rb").read()),
    ("64-bit/Quillmoor Screen Saver.scr",
     open("build/win64/Quillmoor Screen Saver.scr", "rb").read()),
    ("README.txt", (readme.rstrip("\n") + "\n").replace("\n", "\r\n").encode("utf-8")),
    ("CREDITS.md", open("samples/CREDITS.md", "rb").read()),
    ("LICENSE", open("LICENSE", "rb").read()),
]
sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
files.append(("SHA256SUMS", sums.encode("ascii")))
when = time.gmtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
    for name, data in files:
        entry = zipfile.ZipInfo(name, when)
        entry.external_attr = 0o644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(entry, data)
EOF
echo "Made dist/quillmoor-screen-saver-$version.zip ($(stat -c %s "dist/quillmoor-screen-saver-$version.zip") bytes)"
