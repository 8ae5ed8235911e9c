#!/usr/bin/env bash
# Draws the three sample photos of the run command and the screenshots into
# a folder (once). Usage: scripts/lib/sample-photos.sh FOLDER
set -euo pipefail
folder=$1
mkdir -p "$folder"
if [ ! -f "$folder/swirl.jpg" ]; then
  echo "sample-photos: drawing sample photos into $folder"
  convert -size 640x480 -seed 11 plasma:orange-purple "$folder/sunset.jpg"
  convert -size 480x640 -seed 23 plasma:skyblue-seagreen "$folder/lagoon.jpg"
  convert -size 640x480 radial-gradient:gold-firebrick -swirl 180 "$folder/swirl.jpg"
fi
