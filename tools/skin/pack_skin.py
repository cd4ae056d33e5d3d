#!/usr/bin/env python3
"""Packs the skin folder into the zip that the installer carries as a resource.

The archive is reproducible: entries in a fixed order (folders first within each level, then
names sorted), one fixed timestamp, deflate at a fixed level, no extra fields.
Usage: pack_skin.py SKIN_FOLDER OUTPUT.zip
"""
import os
import sys
import zipfile

STAMP = (2026, 1, 1, 0, 0, 0)


def entries(root):
    """Archive names below root, top-down: a folder's entry, its files, then its sub-folders in name order."""
    out = []
    for folder, subfolders, files in os.walk(root):
        subfolders.sort()
        rel = os.path.relpath(folder, root).replace(os.sep, "/")
        if rel != ".":
            out.append((rel + "/", None))
        for name in sorted(files):
            path = os.path.join(folder, name)
            out.append(((name if rel == "." else rel + "/" + name), path))
    return out


def main():
    root, target = sys.argv[1], sys.argv[2]
    tmp = target + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for name, path in entries(root):
            info = zipfile.ZipInfo(name, STAMP)
            info.create_system = 0
            if path is None:
                info.external_attr = 0x10  # MS-DOS directory attribute
                archive.writestr(info, b"")
                continue
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0x20  # MS-DOS archive attribute
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, target)


if __name__ == "__main__":
    main()
