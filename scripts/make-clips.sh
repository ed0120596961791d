#!/usr/bin/env bash
# Makes the default clip set in appdir/Data: the five clips as spoken wav
# sound and as small avi video cards with the same sound, and the blank clips
# 0.wav and 0.avi that emptying a clip copies over it.
# The files are committed; the build never runs this script.
# Needs: espeak-ng (Arabic voice), sox, ffmpeg with drawtext, fonts-dejavu-core.
set -eu
cd "$(dirname "$0")/.."
out=${1:-appdir/Data}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[ -f "$font" ] || { echo "missing font $font (fonts-dejavu-core)" >&2; exit 1; }

rate=22050
size=200x200
fps=8

# speak NAME TEXT: a mono 16-bit wav, silence trimmed, a pause after the
# words and none before them (a child hears any silence there as the quiz
# being slow), normalised so that all five clips sound equally loud (the
# teacher's recordings are brought to the same peak).
speak() {
    espeak-ng -v ar -s 130 -p 60 -w "$work/$1.raw.wav" "$2"
    sox "$work/$1.raw.wav" -r $rate -c 1 -b 16 "$work/$1.wav" \
        silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse \
        pad 0 0.25 norm -1
    cp "$work/$1.wav" "$out/$1.wav"
}

# card NAME BACKGROUND INK SIGN: a video card (a light square on a coloured
# ground with one big sign) that lasts as long as the sound NAME.wav.
card() {
    local secs
    secs=$(soxi -D "$work/$1.wav")
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "color=c=$2:s=$size:r=$fps:d=$secs" \
        -i "$work/$1.wav" \
        -vf "drawbox=x=25:y=25:w=150:h=150:color=white@0.9:t=fill,drawtext=fontfile=$font:text='$4':fontsize=110:fontcolor=$3:x=(w-text_w)/2:y=(h-text_h)/2" \
        -c:v mjpeg -q:v 6 -pix_fmt yuvj420p -c:a pcm_s16le -shortest \
        "$out/$1.avi"
}

# The question names the colour itself: a child of three knows red, not
# "the first colour". The default colours are red, yellow and blue
# (appdir/Data/options.txt and the options pane's defaults).
speak color1 "أين اللون الأحمر؟"
speak color2 "أين اللون الأصفر؟"
speak color3 "أين اللون الأزرق؟"
speak true "أحسنت!"
speak false "حاول مرة أخرى"

card color1 red red "١"
card color2 gold darkorange "٢"
card color3 blue blue "٣"
card true green green "✓"
card false darkorange darkorange "↺"

# Blank clips: a short silence, and a short black card with a silent track,
# so that an emptied clip still opens as a valid clip of its medium.
sox -n -r $rate -c 1 -b 16 "$out/0.wav" trim 0 0.2
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "color=c=black:s=$size:r=$fps:d=0.5" \
    -f lavfi -i "anullsrc=r=$rate:cl=mono" \
    -c:v mjpeg -q:v 6 -pix_fmt yuvj420p -c:a pcm_s16le -t 0.5 -shortest \
    "$out/0.avi"

ls -l "$out"/*.wav "$out"/*.avi
