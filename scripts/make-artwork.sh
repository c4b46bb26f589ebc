#!/usr/bin/env bash
# Regenerates every picture (and the few sample sounds) that Kestro ships with:
#
#   resources/kestro.ico                      application icon, 32x32 and 16x16, 16 colours each
#   resources/kestro.png                      the 32x32 icon for Linux desktops
#   demo/Kestro                               program picture (PNG without extension), 303x251
#   demo/Addons/Skyhawk Campaign/mypic        add-on picture, PNG
#   demo/Addons/Desert Maps/mypic             add-on picture, JPEG
#   demo/Addons/Night Missions/mypic          add-on picture, GIF
#   demo/Addons/Sound Pack/*.wav              tiny sample sounds
#
# All artwork is drawn here from simple shapes, gradients and the DejaVu fonts, so the
# output is the same byte for byte on every run. Needs ImageMagick 6, fonts-dejavu-core
# and python3 (standard library only).
set -euo pipefail

cd "$(dirname "$0")/.."

# Call ImageMagick by absolute path: another 'convert' may come first in PATH.
IM=/usr/bin/convert
FONTS=/usr/share/fonts/truetype/dejavu
SANS_BOLD=$FONTS/DejaVuSans-Bold.ttf
SERIF_BOLD=$FONTS/DejaVuSerif-Bold.ttf
for f in "$IM" "$SANS_BOLD" "$SERIF_BOLD"; do
    [ -e "$f" ] || { echo "make-artwork.sh: missing $f (install imagemagick and fonts-dejavu-core)" >&2; exit 1; }
done
command -v python3 >/dev/null || { echo "make-artwork.sh: python3 is needed" >&2; exit 1; }

# No time stamps or other metadata, so that reruns give identical files.
PNG_OPTS=(-strip -depth 8 -define 'png:exclude-chunks=date,time')

mkdir -p resources demo/Addons/"Skyhawk Campaign" demo/Addons/"Desert Maps" \
    demo/Addons/"Night Missions" demo/Addons/"Sound Pack"

# ---------------------------------------------------------------------------------------------
# Application icon. ImageMagick does not reliably write 4-bit icon entries, so the icon is
# drawn as pixel art and the ICO bytes are written by hand: per image a BITMAPINFOHEADER,
# the 16-colour palette, the 4-bit colour (XOR) bitmap and the 1-bit transparency (AND) mask.
# ---------------------------------------------------------------------------------------------
python3 - resources/kestro.ico <<'PY'
import math, struct, sys

# The standard 16-colour Windows/VGA palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),  # black maroon green olive
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),  # navy purple teal silver
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),  # gray red lime yellow
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),  # blue fuchsia aqua white
]
# Letters used in the drawings below -> palette index.
KEY = {'k': 0, 'm': 1, 'o': 3, 'n': 4, 't': 6, 's': 7, 'd': 8, 'y': 11, 'w': 15}
BACKGROUND, RIM = KEY['t'], KEY['n']

# A kestrel head facing left, on a teal disc with a navy rim. '.' is the disc; everything
# outside the disc is transparent.
HEAD_32 = """
................................
................................
................................
...............kkkkk............
............kkkdddddkkk.........
..........kkddsssddddddk........
.........kddsssdddddddddk.......
........kddssddddddddddddk......
.......kddsddddddddddddddk......
......kyyyddyyyyydddddddddk.....
.....kkyyydykkkkydddddddddk.....
....kssyyyykkwkkkydddddddmmk....
...kssssyyykkkkkkyddddddmmmmk...
...ksssssyykkkkkkydddddmmmmmk...
...kdsskkkkykkkkydddddmmmkmmmk..
...kdkssswwykkkyywwddmmmmmmmmk..
....k.kkwwwwkkkkwwwwkmmmkmmmmk..
......kwwwwwwkkkwwwwkmmmmmmkmk..
......kwwwwwwkkwwwwkkmmmmmmmmk..
.......kwwwwwkkwwwwkmmmkmmmkmk..
........kswwwwkkwwkmmmmmmmmmmk..
.........kswwwwkwwkmmmmmkmmmmk..
.........kswwwwwwkmmkmmmmmmmk...
........ksswwwwwwkmmmmmmkmmmk...
........kswdwwwdwwkmmmmmmmmmk...
.......kswwwwwwwwwkmmmkmmmmk....
.......kswwdwwwdwwwkmmmmmmmk....
......kswwwwwwwwwwwkmmmmmkk.....
......kswwdwwwdwwwwwkmmmmk......
.....ksswwwwwwwwwwwwkmmkk.......
.....kswwwwwwwwwwwwwwkk.........
................................
"""

HEAD_16 = """
................
................
.....kkkkkk.....
...kkddsssdkk...
..kyyddyyddddk..
.kssyyykkyddddk.
.kssssykkydddmk.
.kdskkkyywdmmmk.
.kdksswkwwkmkmk.
..k.kwwkwwkmmmk.
....kwwkwwkmkmk.
....kwwwwwkmmmk.
....kswdwwkmmk..
....kswwwwwkk...
.....kwdwwk.....
................
"""


def render(drawing, size):
    """Returns rows of palette indices, None for transparent pixels."""
    rows = drawing.split()
    assert len(rows) == size and all(len(r) == size for r in rows), size
    centre, radius = (size - 1) / 2, size / 2
    image = []
    for y, row in enumerate(rows):
        line = []
        for x, ch in enumerate(row):
            d = math.hypot(x - centre, y - centre)
            if d > radius - 0.25:
                line.append(None)
            elif d > radius - 1.25:
                line.append(RIM)
            elif ch == '.':
                line.append(BACKGROUND)
            else:
                line.append(KEY[ch])
        image.append(line)
    return image


def padded(row_bytes):
    return row_bytes + b'\0' * (-len(row_bytes) % 4)


def icon_image(image):
    size = len(image)
    xor, mask = b'', b''
    for line in reversed(image):  # bitmaps are stored bottom-up
        nibbles = [0 if v is None else v for v in line]
        xor += padded(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2)))
        bits = [1 if v is None else 0 for v in line]
        mask += padded(bytes(sum(bits[i + j] << (7 - j) for j in range(8)) for i in range(0, size, 8)))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return header + palette + xor + mask


images = [(32, icon_image(render(HEAD_32, 32))), (16, icon_image(render(HEAD_16, 16)))]
data = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, body in images:
    data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(body), offset)
    offset += len(body)
for _, body in images:
    data += body
with open(sys.argv[1], 'wb') as out:
    out.write(data)
PY

# ---------------------------------------------------------------------------------------------
# Program picture: a hovering kestrel over hills at dusk, with the program's name.
# ---------------------------------------------------------------------------------------------

# Prints a polygon (bottom corners included) whose top edge is a gentle ridge of two sines.
ridge() {
    awk -v base="$1" -v a="$2" -v f="$3" -v b="$4" -v g="$5" -v p="$6" 'BEGIN {
        s = "0,251"
        for (x = 0; x <= 303; x += 3) s = s sprintf(" %d,%d", x, int(base + a * sin(x * f + p) + b * sin(x * g + 2 * p) + 0.5))
        print s " 303,251"
    }'
}

# The left wing, with notched primaries; the right wing mirrors it about x = 201.
wing_left='194,86 178,72 160,60 138,58 114,64 130,70 122,74 140,78 134,82 152,86 168,94 184,100 196,102'
wing_right=$(tr ' ' '\n' <<<"$wing_left" | awk -F, '{ printf "%s%d,%d", (NR > 1 ? " " : ""), 402 - $1, $2 }')
bird="translate 0,-16 polygon $wing_left polygon $wing_right ellipse 201,92 9,20 0,360 circle 201,71 201,63"
bird="$bird polygon 196,106 206,106 220,136 211,140 201,141 191,140 182,136"

"$IM" \
    \( -size 303x170 gradient:'#173361-#e9a86a' \) \( -size 303x81 gradient:'#e9a86a-#f6d9a0' \) -append \
    \( -size 303x251 xc:none -fill '#fff3c4' -draw 'circle 82,150 82,126' -blur 0x7 \) -composite \
    -fill '#fff8dc' -draw 'circle 82,150 82,134' \
    -fill '#7a5a7e' -draw "polygon $(ridge 150 9 0.021 5 0.053 0.7)" \
    -fill '#3e4d3a' -draw "polygon $(ridge 181 8 0.017 4 0.047 2.1)" \
    -fill '#25301f' -draw "polygon $(ridge 208 5 0.013 3 0.041 4.0)" \
    -fill '#2b1d17' -draw "$bird" \
    -font "$SANS_BOLD" -pointsize 46 \
    -fill '#00000080' -annotate +22+233 'Kestro' \
    -fill '#fff6e0' -annotate +19+230 'Kestro' \
    "${PNG_OPTS[@]}" png:demo/Kestro

# ---------------------------------------------------------------------------------------------
# Add-on pictures, one per image format the program should recognise from the content.
# ---------------------------------------------------------------------------------------------

# Skyhawk Campaign (PNG): a jet climbing through clouds.
jet='polygon 0,-2 6,-3 40,-3 45,-7 51,-7 55,-3 64,0 55,2 6,3 0,2 polygon 1,-2 -3,-15 3,-15 15,-3'
jet="$jet polygon 19,1 37,1 25,12 18,12 polygon 0,1 11,1 4,6 -2,6"
canopy='polygon 42,-3 45,-6 51,-6 54,-3'
"$IM" -size 160x120 gradient:'#3f7fcf-#cfe6fb' \
    \( -size 160x120 xc:none -fill '#ffffffd0' \
       -draw 'ellipse 30,80 26,9 0,360 ellipse 46,74 16,10 0,360 ellipse 126,36 22,7 0,360 ellipse 138,31 12,8 0,360' \
       -blur 0x1.5 \) -composite \
    \( -size 160x120 xc:none -stroke '#ffffffb0' -strokewidth 3 -draw 'line 0,86 52,68' -stroke none -blur 0x1 \) -composite \
    -fill '#1d2b45' -draw "translate 50,66 rotate -20 scale 1.25,1.25 $jet" \
    -fill '#8fc3ef' -draw "translate 50,66 rotate -20 scale 1.25,1.25 $canopy" \
    -font "$SANS_BOLD" -pointsize 20 \
    -fill '#1d2b45' -annotate +13+111 'SKYHAWK' \
    -fill white -annotate +12+110 'SKYHAWK' \
    "${PNG_OPTS[@]}" png:"demo/Addons/Skyhawk Campaign/mypic"

# Desert Maps (JPEG): dunes under a low sun, with a dashed route to an X.
palm='polygon 38,78 39,65 41,65 42,78 polygon 40,65 28,62 24,68 33,64 polygon 40,65 52,62 56,68 47,64'
palm="$palm polygon 40,65 31,57 29,59 polygon 40,65 49,57 51,59"
"$IM" -size 160x120 gradient:'#f08a3c-#fbe3a4' \
    -fill '#fff6d0' -draw 'circle 118,38 118,24' \
    -fill '#e2ad62' -draw 'polygon 0,70 30,62 60,66 95,56 130,64 160,58 160,120 0,120' \
    -fill '#cf9249' -draw 'polygon 0,88 25,80 55,76 80,84 110,78 140,70 160,74 160,120 0,120' \
    -fill '#b97a37' -draw 'polygon 0,104 40,96 70,100 100,94 130,98 160,92 160,120 0,120' \
    -fill '#2f5d2a' -draw "$palm" \
    -fill none -stroke '#5a2e12' -strokewidth 1.5 \
    -draw 'stroke-dasharray 4 3 path "M 12,112 C 40,90 70,98 96,84 S 132,72 140,66"' \
    -stroke '#8c1f12' -strokewidth 2.5 -draw 'line 136,62 144,70 line 144,62 136,70' -stroke none \
    -font "$SERIF_BOLD" -pointsize 17 \
    -fill '#fbe3a4' -annotate +9+23 'Desert Maps' \
    -fill '#5a2e12' -annotate +8+22 'Desert Maps' \
    -strip -quality 88 -sampling-factor 2x2 jpg:"demo/Addons/Desert Maps/mypic"

# Night Missions (GIF): crescent moon and stars over dark mountains.
stars=$(awk 'BEGIN {
    s = 7; n = 0
    while (n < 26) {
        s = (s * 1103515245 + 12345) % 2147483648; x = int(s / 65536) % 160
        s = (s * 1103515245 + 12345) % 2147483648; y = int(s / 65536) % 72
        if ((x < 134 && y < 28) || (x > 106 && x < 152 && y < 58)) continue  # keep clear of text and moon
        r = (n % 4 == 0) ? 1 : 0
        printf "rectangle %d,%d %d,%d ", x, y, x + r, y + r
        n++
    }
}')
"$IM" -size 160x120 gradient:'#060b24-#2a3f78' \
    -fill '#e8ecff' -draw "$stars" \
    \( -size 160x120 xc:none -fill '#fdf3c0' -draw 'circle 128,40 128,27' \
       \( -size 160x120 xc:none -fill black -draw 'circle 135,35 135,24' \) -compose DstOut -composite \) \
    -compose Over -composite \
    -fill '#141c3c' -draw 'polygon 0,96 22,74 38,86 62,58 86,84 104,70 128,90 146,76 160,86 160,120 0,120' \
    -fill '#0b1026' -draw 'polygon 0,108 30,96 60,104 90,94 120,102 160,96 160,120 0,120' \
    -fill '#ffd86b' -draw 'rectangle 70,104 72,106 rectangle 76,103 78,105 rectangle 100,99 102,101' \
    -font "$SANS_BOLD" -pointsize 16 -fill '#dfe6ff' -annotate +8+22 'Night Missions' \
    +dither -colors 64 -strip gif:"demo/Addons/Night Missions/mypic"

# ---------------------------------------------------------------------------------------------
# Sound Pack: three short 8 kHz, 8-bit mono WAV files (a hum, a thud, a hiss).
# ---------------------------------------------------------------------------------------------
python3 - "demo/Addons/Sound Pack" <<'PY'
import math, os, struct, sys

RATE = 8000


def wav(path, samples):
    data = bytes(max(0, min(255, int(round(128 + s)))) for s in samples)
    header = b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVE'
    header += b'fmt ' + struct.pack('<IHHIIHH', 16, 1, 1, RATE, RATE, 1, 8)
    header += b'data' + struct.pack('<I', len(data))
    with open(path, 'wb') as out:
        out.write(header + data)


def noise(n, seed):
    for _ in range(n):
        seed = (seed * 1103515245 + 12345) % 2**31
        yield (seed >> 16) / 32768.0 - 0.5


n = RATE // 4
fade = lambda i: min(1.0, i / 200, (n - i) / 400)
wav(os.path.join(sys.argv[1], 'engine.wav'),
    [fade(i) * (40 * math.sin(2 * math.pi * 110 * i / RATE) + 20 * math.sin(2 * math.pi * 220 * i / RATE)) for i in range(n)])
wav(os.path.join(sys.argv[1], 'cannon.wav'),
    [90 * math.exp(-i / 300) * math.sin(2 * math.pi * (70 - i / 50) * i / RATE) for i in range(n)])
wav(os.path.join(sys.argv[1], 'wind.wav'),
    [fade(i) * 60 * v for i, v in enumerate(noise(n, 42))])
PY

# The same icon for Linux desktops, which want a PNG.
convert 'resources/kestro.ico[0]' PNG32:resources/kestro.png

echo "make-artwork.sh: artwork written"
