#!/usr/bin/env bash
# The peak memory of the real program with damaged and crafted clips: each
# case is put as Data/color1.avi (the video medium saved) or Data/color1.wav
# (the sound medium saved) in a copy of the program folder, the quiz is
# started under the offscreen platform with a private sound server, left to
# open its clips and ask its first question, and ended with SIGTERM.
# Prints one line per case:  figure clip_peak_rss_<case> <value> MB
# Usage: bench/clip-memory.sh [program-folder, default build/program] [seconds, default 12]
set -u
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/program}")
seconds=${2:-12}
[ -x "$program/quiz" ] || { echo "no program in $program" >&2; exit 1; }

source scripts/sound-server.sh
start_sound_server
work=$(mktemp -d)
trap 'stop_sound_server; rm -rf "$work"' EXIT
bash scripts/make-fuzz-seeds.sh "$work" >/dev/null

# medium (0 wav, 1 avi) and the asked choice 1 as the options file's lines 1 and 2.
options() {
    python3 - "$1" "$2" <<'PY'
import sys
path, medium = sys.argv[1:3]
lines = open(path, 'rb').read().split(b'\r\n')
lines += [b''] * (21 - len(lines))
lines[0] = b'1'
lines[1] = medium.encode()
open(path, 'wb').write(b'\r\n'.join(lines[:21]) + b'\r\n')
PY
}

wave=$program/Data/color1.wav
python3 - "$wave" "$work" <<'PY'
import struct, sys
wave, work = sys.argv[1:3]
b = bytearray(open(wave, 'rb').read())
d = b.index(b'data')
def put(buf, at, v): buf[at:at + 4] = struct.pack('<I', v)
z = bytearray(b); put(z, 4, 0); put(z, d + 4, 0); open(work + '/sizes-zero.wav', 'wb').write(z)
p = bytearray(b); put(p, 4, 0x7FFFFFF0); put(p, d + 4, 0x7FFFFFF0); open(work + '/past-end.wav', 'wb').write(p)
n = bytearray(b[:d + 8]); put(n, 4, 0); put(n, d + 4, 0); open(work + '/no-sound.wav', 'wb').write(n)
open(work + '/one-byte.avi', 'wb').write(b'R')
# 60 MB: a good clip whose movie list is followed by padding.
a = bytearray(open(wave.replace('.wav', '.avi'), 'rb').read())
pad = 60 * 1024 * 1024
a += b'JUNK' + struct.pack('<I', pad) + bytes(pad)
put(a, 4, len(a) - 8)
open(work + '/padded-60mb.avi', 'wb').write(a)
PY

measure() { # case medium file-or-"folder"-or-"-"
    local name=$1 medium=$2 clip=$3 dir=$work/run-$1 ext=wav
    [ "$medium" = 1 ] && ext=avi
    cp -r "$program" "$dir"
    options "$dir/Data/options.txt" "$medium"
    case "$clip" in
        -) ;;
        folder) rm -f "$dir/Data/color1.$ext"; mkdir "$dir/Data/color1.$ext" ;;
        *) cp "$work/$clip" "$dir/Data/color1.$ext" ;;
    esac
    # time waits for timeout, which ends the quiz: the peak is the quiz's.
    (cd "$dir" && QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$dir/time.txt" \
        timeout -k 5 -s TERM "$seconds" ./quiz >"$dir/out.txt" 2>&1)
    local kb
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$dir/time.txt")
    echo "figure clip_peak_rss_$name $((kb / 1024)) MB"
    # 124: ended by the timeout, as meant; anything else ended the quiz itself.
    local end
    end=$(sed -n 's/.*Exit status: *//p' "$dir/time.txt")
    [ "$end" != 124 ] && echo "  $name: the quiz ended by itself, status $end: $(tail -n 3 "$dir/out.txt")"
    rm -rf "$dir"
}

measure shipped_video 1 -
measure shipped_sound 0 -
measure nested_lists 1 nested-lists.avi
measure hours_frame 1 hours-frame.avi
measure empty_frames 1 empty-frames.avi
measure padded_60mb 1 padded-60mb.avi
measure one_byte 1 one-byte.avi
measure folder 1 folder
measure wav_sizes_zero 0 sizes-zero.wav
measure wav_past_end 0 past-end.wav
measure wav_no_sound 0 no-sound.wav
