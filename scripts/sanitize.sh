#!/usr/bin/env bash
# Builds the program and its tests under sanitizers in a build folder of their own and runs the
# tests there.
#   scripts/sanitize.sh address [BUILD-FOLDER] [CTEST-ARGS...]   AddressSanitizer + UBSan, every test
#   scripts/sanitize.sh thread  [BUILD-FOLDER] [CTEST-ARGS...]   ThreadSanitizer, the threaded tests
# Reports are mended or explained, with their reason, in scripts/sanitizers/*.supp.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-address}
case $kind in
  address) flags=address,undefined ;;
  thread) flags=thread ;;
  *) echo "usage: $0 address|thread [BUILD-FOLDER] [CTEST-ARGS...]" >&2; exit 2 ;;
esac
build=${2:-$root/build-$kind}
shift $(($# < 2 ? $# : 2))
lock=/tmp/pvx-build.lock
supp=$root/scripts/sanitizers

if [ ! -f "$build/build.ninja" ]; then
  flock "$lock" cmake -S "$root" -B "$build" -G Ninja -DOKA_PVX_SANITIZE="$flags" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
flock "$lock" ninja -C "$build"

# Qt, GLib and GStreamer keep caches for the life of the process: leak reports from them are
# not ours (suppressed by library in lsan.supp).
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp
# die_after_fork=0: the tests start ffmpeg and GStreamer's plugin scanner from threaded processes;
# the child only execs.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$supp/tsan.supp
filter=()
# The tests whose code runs on more than one thread: media graphs, the engine, playback and the
# message endpoint. Some of them hold the media to real time (a file played while it is written,
# three seconds recorded to within a fraction, a file played to its end within a wait, a looping
# station seen moving), which ThreadSanitizer's slowdown of 5-15 times cannot meet; they run under
# AddressSanitizer and in the plain build.
if [ "$kind" = thread ]; then
  filter=(-L '^(graph|components|video|virtual_card|media|ipc|engine|playback)_tests$'
          -E 'TimeShiftPlayback.ARecordingPlaysWhileItIsWritten|RecordingFormats.RecordThreeSeconds|FilePlayer.CommonFilesPlayToTheEnd|LivePicture.AFileStationLoops')
  # GLib's slice allocator hands blocks between threads through its own uninstrumented locks, so
  # a GstSample reused on another thread looks like a race; plain malloc is instrumented.
  export G_SLICE=always-malloc
fi
cd "$build"
QT_QPA_PLATFORM=offscreen flock "$lock" ctest --output-on-failure -j2 --timeout 900 "${filter[@]}" "$@"
