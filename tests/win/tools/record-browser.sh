#!/bin/sh
# A browser stand-in for the tests: records the address it is asked to open,
# one per line. The test makes a copy of this script with the file's path
# in place of $K3_BROWSER_RECORD.
printf '%s\n' "$1" >> "$K3_BROWSER_RECORD"
