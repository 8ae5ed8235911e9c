#!/usr/bin/env python3
"""Writes a photo list IMG.DAT for the program: one 512-byte record per
photo, its Windows path (as Wine names the Unix path, Z:\\...) in the ANSI
code page with a terminating zero. Usage: image-list.py IMG.DAT PHOTO..."""
import os
import sys


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def main():
    out = bytearray()
    for photo in sys.argv[2:]:
        text = windows_path(photo).encode('cp1252')
        if len(text) > 255:
            sys.exit('image-list: path too long for a record: %s' % photo)
        out += text + bytes(512 - len(text))
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
