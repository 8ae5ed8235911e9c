#!/bin/sh
# Cuts a Windows Installer package to its database, as Windows keeps the
# copy of an installed package: its embedded cabinet is removed.
# Usage: cut-cached-package.sh PACKAGE
exec msibuild "$1" -q "DELETE FROM _Streams WHERE Name='k3driftlet.cab'"
