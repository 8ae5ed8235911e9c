#!/usr/bin/env bash
# Tries an update as a user would, in a Wine prefix of its own
# (build/win64/wineprefix-update): installs the 1.1.6.0 package of an
# edition, starts the project's update service on 127.0.0.1 with version
# 1.1.7.0 (the second build the tests make) and points the prefix's proxy at
# it, then starts the program through Kicker, twice:
#   1. press the gear button at the top right: the program finds 1.1.7.0,
#      downloads it with a progress bar and asks to be restarted; end it
#      (Esc, Yes);
#   2. Kicker installs 1.1.7.0 and starts it: the title bar says Ver.1.1.7.0.
# Usage: scripts/try-update.sh [en|ja]     (default en; ja: Japanese locale)
# Runs on $DISPLAY when there is one, else on a display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
edition=${1:-en}
case "$edition" in
  en) export LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8; package=K3DriftletSetup_E.msi; product=k3driftlet_e
      folder="Kelvarstone Photo Driftlet" ;;
  ja) export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8; package=K3DriftletSetup.msi; product=k3driftlet
      folder="Kelvarstone Photo Driftlet JA" ;;
  *) echo "usage: scripts/try-update.sh [en|ja]" >&2; exit 2 ;;
esac

bash scripts/lib/prepare-program.sh
installers="$root/build/win64/installer"
[ -f "$installers/next/$package" ] || { echo "try-update: $installers/next/$package is missing" >&2; exit 1; }

# The releases the service offers: version 1.1.7.0 of both products, each
# package with its detached signature.
work="$root/build/try-update"
rm -rf "$work"
mkdir -p "$work/releases/k3driftlet" "$work/releases/k3driftlet_e"
for p in k3driftlet:K3DriftletSetup.msi k3driftlet_e:K3DriftletSetup_E.msi; do
  echo 01010700 >"$work/releases/${p%%:*}/version"
  cp "$installers/next/${p#*:}" "$installers/next/${p#*:}.p7s" "$work/releases/${p%%:*}/"
done

source scripts/lib/wine-session.sh
mode=$(wine_display_mode)
service=""
cleanup() {
  [ -n "$service" ] && kill "$service" 2>/dev/null || true
  wine_session_stop
}
trap cleanup EXIT INT TERM
wine_session_start "$root/build/win64/wineprefix-update" "$mode"
[ "$mode" = own-display ] && echo "try-update: no display found; running on its own Xvfb display $DISPLAY."

python3 tests/win/tools/update-service.py --releases "$work/releases" --port-file "$work/port" \
  --max-requests 50 --max-seconds 3600 2>"$work/service.log" &
service=$!
for _ in $(seq 1 100); do [ -f "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
echo "try-update: update service of $product at 127.0.0.1:$port (log: $work/service.log)"
settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$settings" /v ProxyServer /t REG_SZ /d "127.0.0.1:$port" /f >/dev/null

# A fresh installation of 1.1.6.0.
wine msiexec /qn /x "$(winepath -w "$installers/$package")" >/dev/null 2>&1 || true
wine msiexec /qn /i "$(winepath -w "$installers/$package")"
kicker="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/$folder/Kicker.exe"
[ -f "$kicker" ] || { echo "try-update: the package did not install $kicker" >&2; exit 1; }
echo "try-update: 1.1.6.0 installed in $(dirname "$kicker")"

echo "try-update: starting the program through Kicker: press the gear button, then end the program"
wine "$kicker"
echo "try-update: starting Kicker again: it installs the downloaded 1.1.7.0, then starts it"
wine "$kicker"
