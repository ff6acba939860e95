#!/usr/bin/env bash
# Builds and makes the download for Windows users, dist/quillmoor-screen-saver-<version>.zip:
# the 32-bit .scr at the top with the sample photos beside it (its first show), its 64-bit twin
# in 64-bit/, README.txt (CRLF, for Notepad), CREDITS.md, LICENSE and SHA256SUMS of the other
# files. The version is the version block's ProductVersion. Entries carry the last commit's time
# (or SOURCE_DATE_EPOCH), so the same sources give the same zip, byte for byte.
# With --built it packs build/win and build/win64 as they are, without installing or building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ ${1:-} != --built ]]; then
  "$root/scripts/install-deps.sh"
  "$root/scripts/build.sh" >/dev/null
fi
cd "$root"
version=$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' resources/quillmoor.rc)
[[ -n $version ]] || { echo "no ProductVersion in resources/quillmoor.rc" >&2; exit 1; }
# Without git or SOURCE_DATE_EPOCH a fixed date, never the clock: 1980-01-01, the first a zip has.
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
mkdir -p dist
readme=$(cat <<EOF
Quillmoor Screen Saver $version

A picture slideshow screen saver for Windows 7 and later. It fills the screen with the
pictures (BMP, JPEG, GIF) of a folder you choose, one after the other, each shrunk to fit
and centred, with a short chime. At 8, 10, 12 and 17 o'clock a red greeting scrolls across
the pictures. A key press or a few mouse moves end it.

INSTALL
  Unpack the whole folder where it will stay (Windows runs the screen saver from there),
  right-click "Quillmoor Screen Saver.scr" and choose Install. Windows opens its screen
  saver settings with Quillmoor Screen Saver chosen; click Preview or wait, and the show
  starts on the sample photos beside the .scr: until you pick a folder in its settings,
  the show's pictures are those of the .scr's own folder. The .scr needs no other file.

  On 64-bit Windows you may use the file in the 64-bit folder instead; both do the same.
  The photos are not copied into that folder, so installed from there it shows the folder
  it sits in, which holds no pictures: a black screen. Move it up beside the photos first
  (it replaces the 32-bit file, whose name it has), or pick a folder in its settings.

SETTINGS
  Click Settings... there (or right-click the .scr and choose Configure): walk the drive
  and folder lists to the folder of your pictures, set the interval in seconds (used only
  for folders of more than 100 pictures) and a white background if you like, then click
  Change Path. From then on the show uses that folder. The small preview stays empty:
  there is no preview mode.

UNINSTALL
  Choose another screen saver (or None), delete the unpacked folder, and delete its
  settings, the registry key
    HKEY_CURRENT_USER\Software\Quillmoor Screen Saver
  with regedit, or in a command prompt:
    reg delete "HKCU\Software\Quillmoor Screen Saver" /f

FILES
  Quillmoor Screen Saver.scr          the screen saver (32-bit)
  *.jpg, *.bmp, *.gif                 the sample photos, each under its author's licence
  64-bit\Quillmoor Screen Saver.scr   the same for 64-bit Windows
  LICENSE                             MIT licence
  CREDITS.md                          who made what: the photos' authors and licences
  SHA256SUMS                          check with: certutil -hashfile FILE SHA256
  Anyone who builds the same version from its source code gets these very files, byte
  for byte: the same SHA256SUMS.
EOF
)
python3 - "dist/quillmoor-screen-saver-$version.zip" "$stamp" "$readme" <<'EOF'
import hashlib
import os
import sys
import time
import zipfile

out, stamp, readme = sys.argv[1], int(sys.argv[2]), sys.argv[3]
files = [
    ("Quillmoor Screen Saver.scr", open("build/win/Quillmoor Screen Saver.scr", "rb").read()),
] + [
    (name, open("samples/" + name, "rb").read())  # the show's default: the .scr's own folder
    for name in sorted(os.listdir("samples")) if name.lower().endswith((".bmp", ".jpg", ".gif"))
] + [
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
