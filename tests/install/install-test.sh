#!/usr/bin/env bash
# Installs the build into a temporary root (DESTDIR) and runs the installed programs from there:
# help and version, the desktop files and the software-centre record through their validators,
# then oka-pvx offscreen on the virtual card until oka-remote reaches it, and its exit.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$root"' EXIT
pid=
DESTDIR=$root cmake --install "$build" --prefix /usr > /dev/null
usr=$root/usr
for program in oka-pvx oka-remote Scheduled; do
  "$usr/bin/$program" --version | grep -q "^$program .* (built "
  "$usr/bin/$program" --help | grep -q "Usage: $program"
done
for file in share/oka-pvx/PVX_English.html "share/oka-pvx/PVX_Chinese(simplified).html" share/oka-pvx/PVX_German.html \
    share/oka-pvx/Language/Lang.cfg share/man/man1/oka-pvx.1.gz share/man/man1/Scheduled.1.gz share/man/man1/oka-remote.1.gz \
    share/icons/hicolor/scalable/apps/oka-pvx.svg share/icons/hicolor/48x48/apps/oka-pvx.png share/doc/oka-pvx/lircrc; do
  [ -s "$usr/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
desktop-file-validate "$usr"/share/applications/*.desktop
appstreamcli validate --no-net "$usr"/share/metainfo/org.okapvx.OkaPvx.metainfo.xml > /dev/null

# The installed program, on a fresh home: it comes up with its first-run wizard (before any
# socket exists), and a logout's SIGTERM ends it with its settings written.
export OKA_PVX_HOME=$root/home XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=offscreen OKA_PVX_AUDIO_SINK=null
export QT_LOGGING_RULES="pvx.windows.info=true"
mkdir -p "$OKA_PVX_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
"$usr/bin/oka-pvx" > "$root/log" 2>&1 &
pid=$!
for _ in $(seq 300); do
  grep -q "shown .*TFormTVSetupWizard" "$root/log" && break
  sleep 0.1
done
grep -q "shown .*TFormTVSetupWizard" "$root/log" || { echo "no setup wizard" >&2; cat "$root/log" >&2; exit 1; }
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "oka-pvx ended with $status" >&2; cat "$root/log" >&2; exit 1; }
[ -s "$OKA_PVX_HOME/QDVCR.cfg" ] || { echo "no settings written" >&2; exit 1; }
echo "installed, validated, started and ended from $usr"
