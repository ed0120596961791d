#!/usr/bin/env bash
# Makes the seed corpora of the clip readers' fuzz targets in
# tests/data/wavesound-corpus and tests/data/aviclip-corpus: tiny clips as
# other tools write them (sox for wav in every sample format the quiz meets,
# ffmpeg for Motion-JPEG avi with PCM sound as scripts/make-clips.sh makes the
# quiz's own clips), and a few hand-made damaged ones (sizes a recorder left
# at zero or open, lists nested too deep, a frame lasting hours, thousands of
# empty frames). The files are committed; the build never runs this script.
# Needs: sox, ffmpeg, python3.
# Usage: make-fuzz-seeds.sh [crafted-only-dir]
#   With a folder, only writes the large damaged clips that the memory
#   figures of the notes are measured with (nested-lists.avi, 2.4 MB;
#   hours-frame.avi; empty-frames.avi, 10,000 empty frames) into it.
set -eu
cd "$(dirname "$0")/.."
wav=tests/data/wavesound-corpus
avi=tests/data/aviclip-corpus
big=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

q() { ffmpeg -hide_banner -loglevel error -y "$@"; }
q -f lavfi -i "color=c=green:s=16x16:r=4:d=0.5" -c:v mjpeg -q:v 20 -pix_fmt yuvj420p "$work/silent.avi"

if [ -z "$big" ]; then
    mkdir -p "$wav" "$avi"
    s() { sox -n -r "$1" -c "$2" "${@:4}" "$wav/$3" synth "$5" sine 440; }
    sox -n -r 8000 -c 1 -b 8 -e unsigned-integer "$wav/u8.wav" synth 0.03 sine 440
    sox -n -r 8000 -c 1 -b 16 "$wav/s16.wav" synth 0.03 sine 440
    sox -n -r 22050 -c 2 -b 16 "$wav/s16-stereo-22050.wav" synth 0.01 sine 440
    sox -n -r 44100 -c 1 -b 16 "$wav/s16-44100.wav" synth 0.005 sine 440
    sox -n -r 8000 -c 1 -b 24 "$wav/s24.wav" synth 0.03 sine 440
    sox -n -r 8000 -c 1 -b 32 "$wav/s32.wav" synth 0.02 sine 440
    sox -n -r 8000 -c 1 -b 32 -e float "$wav/float32.wav" synth 0.02 sine 440
    sox -n -r 8000 -c 1 -b 64 -e float "$wav/float64.wav" synth 0.01 sine 440
    sox -n -r 8000 -c 6 -b 16 "$wav/six-channels.wav" synth 0.01 sine 440
    sox -n -r 8000 -c 1 -e mu-law "$wav/mulaw.wav" synth 0.03 sine 440
    sox -n -r 8000 -c 1 -e a-law "$wav/alaw.wav" synth 0.03 sine 440
    sox -n -r 8000 -c 1 -e ima-adpcm "$wav/ima-adpcm.wav" synth 0.1 sine 440
    sox -n -r 8000 -c 1 -e ms-adpcm "$wav/ms-adpcm.wav" synth 0.1 sine 440

    q -f lavfi -i "color=c=red:s=16x16:r=8:d=0.25" -f lavfi -i "sine=f=440:r=8000:d=0.25" \
        -c:v mjpeg -q:v 20 -pix_fmt yuvj420p -c:a pcm_u8 -shortest "$avi/mjpeg-u8.avi"
    q -f lavfi -i "color=c=blue:s=16x16:r=4:d=0.25" -f lavfi -i "sine=f=440:r=8000:d=0.25" \
        -c:v mjpeg -q:v 20 -pix_fmt yuvj420p -c:a pcm_s16le -shortest "$avi/mjpeg-s16.avi"
    q -f lavfi -i "color=c=red:s=16x16:r=4:d=0.25" -f lavfi -i "sine=f=440:r=8000:d=0.25" \
        -c:v mjpeg -q:v 20 -pix_fmt yuvj420p -c:a pcm_mulaw -shortest "$avi/mjpeg-mulaw.avi"
    q -f lavfi -i "sine=f=440:r=8000:d=0.1" -c:a pcm_u8 "$avi/sound-only.avi"
    cp "$work/silent.avi" "$avi/mjpeg-silent.avi"
fi

python3 - "$wav" "$avi" "$work/silent.avi" "$big" <<'PY'
import struct, sys
wav, avi, silent, big = sys.argv[1:5]
def put(buf, at, v): buf[at:at + 4] = struct.pack('<I', v)
def chunk(cid, body): return cid + struct.pack('<I', len(body)) + body + (b'\0' if len(body) & 1 else b'')
def riff_list(kind, body): return chunk(b'LIST', kind + body)

base = bytearray(open(silent, 'rb').read())
movi = base.index(b'movi') - 8
hdrl = bytes(base[12:movi])
first = base.index(b'00dc', movi)
jpeg = bytes(base[first + 8:first + 8 + struct.unpack('<I', base[first + 4:first + 8])[0]])
strh = base.index(b'strh')

def avi_file(header, movie): return chunk(b'RIFF', b'AVI ' + header + riff_list(b'movi', movie))
def with_rate(scale, rate):
    h = bytearray(hdrl)
    at = h.index(b'strh') + 8
    put(h, at + 20, scale); put(h, at + 24, rate)
    return bytes(h)

def nested(depth):
    # LIST rec inside LIST rec ... with one frame at the bottom.
    inner = chunk(b'00dc', jpeg)
    head = b''
    for _ in range(depth):
        head = b'LIST' + struct.pack('<I', 0) + b'rec ' + head
    out = bytearray(head + inner)
    for i in range(depth):
        put(out, i * 12 + 4, len(out) - i * 12 - 8)
    return avi_file(hdrl, bytes(out))

hours = avi_file(with_rate(36000, 1), chunk(b'00dc', jpeg) * 2)
empty = lambda n: avi_file(with_rate(1, 1), chunk(b'00dc', jpeg) + chunk(b'00dc', b'') * (n - 1))

if big:
    open(big + '/nested-lists.avi', 'wb').write(nested(200000))
    open(big + '/hours-frame.avi', 'wb').write(hours)
    open(big + '/empty-frames.avi', 'wb').write(empty(10000))
    sys.exit(0)

open(avi + '/nested-lists.avi', 'wb').write(nested(40))
open(avi + '/hours-frame.avi', 'wb').write(hours)
open(avi + '/empty-frames.avi', 'wb').write(empty(400))

b = bytearray(open(wav + '/s16.wav', 'rb').read())
d = b.index(b'data')
z = bytearray(b); put(z, 4, 0); put(z, d + 4, 0); open(wav + '/sizes-zero.wav', 'wb').write(z)
o = bytearray(b); put(o, 4, 0xFFFFFFFF); put(o, d + 4, 0xFFFFFFFF); open(wav + '/sizes-open.wav', 'wb').write(o)
p = bytearray(b); put(p, 4, len(b) * 10); put(p, d + 4, len(b) * 10); open(wav + '/data-past-end.wav', 'wb').write(p)
n = bytearray(b[:d + 8]); put(n, 4, 0); put(n, d + 4, 0); open(wav + '/no-sound.wav', 'wb').write(n)
open(wav + '/cut-mid-sample.wav', 'wb').write(b[:-1])
PY
