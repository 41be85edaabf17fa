#!/usr/bin/env bash
# Makes the benchmark folder with ImageMagick: the same pictures from the same seeds on every
# run. Usage: bench/make-corpus.sh <folder>
#
# <folder>/images    about 60 pictures (HEIC and JPEG XL by heif-enc and cjxl); the name's first part is the class the bench reports
# <folder>/list2000  2,000 empty files for the listing figure (a few are not images)
#
# A folder made by this same script is kept as it is; anything else in its place is remade.
set -euo pipefail
out=${1:?usage: make-corpus.sh <folder>}
stamp=$(sha1sum "$0" | cut -c1-16)
if [ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ]; then
    exit 0
fi
rm -rf "$out"
mkdir -p "$out/images" "$out/list2000"
images=$out/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A photograph to the encoders: a plasma field from a fixed seed, blurred a little, enlarged to
# the size asked, with a light grain so that the enlargement is not flat.
base() { # seed width height -> $work/base-<seed>-<w>x<h>.miff
    local seed=$1 w=$2 h=$3 f="$work/base-$1-$2x$3.miff"
    if [ ! -f "$f" ]; then
        convert -seed "$seed" -size 640x480 plasma:fractal -blur 0x1 \
            -resize "${w}x${h}!" -seed "$seed" -attenuate 0.4 +noise Gaussian -depth 8 "$f"
    fi
    echo "$f"
}

jpeg() { # name seed w h [progressive]
    local extra=()
    [ "${5:-}" = progressive ] && extra=(-interlace JPEG)
    convert "$(base "$2" "$3" "$4")" -quality 90 -sampling-factor 2x2 "${extra[@]}" \
        "$images/$1"
}

n=0
next() { n=$((n + 1)); S=$((n * 7919)); }

# Landscape and, every third, portrait; megapixels: 1 = 1152x864, 3 = 2000x1500,
# 12 = 4000x3000, 24 = 6000x4000.
for i in 01 02 03 04 05 06 07 08 09 10; do
    if [ $((10#$i % 3)) -eq 0 ]; then next; jpeg "jpeg1-$i.jpg" "$S" 864 1152
    else next; jpeg "jpeg1-$i.jpg" "$S" 1152 864; fi
done
for i in 01 02 03 04 05 06 07 08 09 10; do
    if [ $((10#$i % 3)) -eq 0 ]; then next; jpeg "jpeg3-$i.jpg" "$S" 1500 2000
    else next; jpeg "jpeg3-$i.JPG" "$S" 2000 1500; fi
done
for i in 01 02 03 04 05 06; do
    if [ $((10#$i % 3)) -eq 0 ]; then next; jpeg "jpeg12-$i.jpg" "$S" 3000 4000
    else next; jpeg "jpeg12-$i.jpeg" "$S" 4000 3000; fi
done
for i in 01 02 03 04; do
    next; jpeg "jpeg24-$i.jpg" "$S" 6000 4000
done
# The first 24 MP picture again with an Adobe RGB profile: the colour conversion's cost.
convert "$images/jpeg24-01.jpg" -quality 90 -sampling-factor 2x2 \
    -profile /usr/share/color/icc/compatibleWithAdobeRGB1998.icc "$images/icc24-01.jpg"
next; convert "$(base "$S" 4000 3000)" "$work/heic12.png"
heif-enc -q 90 "$work/heic12.png" -o "$images/heic12-01.heic" >/dev/null
next; convert "$(base "$S" 4000 3000)" "$work/jxl12.png"
cjxl -d 1 -e 3 "$work/jxl12.png" "$images/jxl12-01.jxl" >/dev/null 2>&1
next; jpeg "prog3-01.jpg" "$S" 2000 1500 progressive
next; jpeg "prog3-02.jpg" "$S" 1500 2000 progressive
next; jpeg "prog12-01.jpg" "$S" 4000 3000 progressive
next; jpeg "prog24-01.jpg" "$S" 6000 4000 progressive

for i in 01 02 03; do next; convert "$(base "$S" 1152 864)" "PNG24:$images/png-$i.png"; done
for i in 04 05 06; do next; convert "$(base "$S" 2000 1500)" "PNG24:$images/png-$i.png"; done
for i in 01 02; do next; convert "$(base "$S" 1152 864)" -colors 256 "PNG8:$images/pngpal-$i.png"; done
for i in 03 04; do next; convert "$(base "$S" 2000 1500)" -colors 256 "PNG8:$images/pngpal-$i.png"; done
next; convert "$(base "$S" 640 480)" -colors 128 "$images/gif-01.gif"
next; convert "$(base "$S" 1152 864)" -colors 256 "$images/gif-02.gif"
next; convert "$(base "$S" 864 1152)" -colors 256 "$images/gif-03.GIF"
next; convert "$(base "$S" 2000 1500)" -colors 256 "$images/gif-04.gif"
for i in 01 02; do next; convert "$(base "$S" 1152 864)" -type TrueColor "BMP3:$images/bmp24-$i.bmp"; done
for i in 03 04; do next; convert "$(base "$S" 2000 1500)" -type TrueColor "BMP3:$images/bmp24-$i.bmp"; done
for i in 01 02; do next; convert "$(base "$S" 1152 864)" -colors 256 -type Palette "BMP3:$images/bmp8-$i.bmp"; done
next; convert "$(base "$S" 2000 1500)" -colors 256 -type Palette "BMP3:$images/bmp8-03.bmp"
next; convert "$(base "$S" 864 1152)" -colors 256 -type Palette "BMP3:$images/bmp8-04.bmp"

# Files a folder of photos also holds: empty, cut off in the middle, not a picture at all.
: >"$images/bad-empty.jpg"
head -c "$(($(stat -c %s "$images/jpeg3-01.JPG") / 2))" "$images/jpeg3-01.JPG" \
    >"$images/bad-truncated.jpg"
for i in $(seq 1 400); do echo "This is not a picture, line $i."; done >"$images/bad-text.jpg"

# The listing folder: names only, nothing in them.
(
    cd "$out/list2000"
    for i in $(seq -w 1 1960); do : >"photo$i.jpg"; done
    for i in $(seq -w 1 20); do : >"scan$i.PNG"; : >"note$i.txt"; done
)
echo "$stamp" >"$out/.stamp"
