#!/usr/bin/env bash
# Regenerates Kalvora's bitmaps and icons under res/ (needs ImageMagick 6 `convert` and DejaVu fonts).
#
# The generated files are committed, so the build never runs this script.
# Every drawing is deterministic: scattered dots come from a fixed-seed
# Park-Miller generator in awk, so running the script twice gives the same bytes.
#
# Usage: bash res/art/make-art.sh   (from any directory)

set -euo pipefail

ART_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
RES_DIR="$(dirname "$ART_DIR")"
TMP_DIR="$(mktemp -d)"
trap 'rm -rf "$TMP_DIR"' EXIT

# Palette shared by the control panel, its buttons and the Arrange dialog.
GREEN='#1e8c3a';  GREEN_DARK='#0c4f1d';  GREEN_LIGHT='#4cc066'
ORANGE='#e8801e'; ORANGE_DARK='#8a4508'; ORANGE_LIGHT='#ffb060'
BLUE='#2c62c8';   BLUE_DARK='#14347a';   BLUE_LIGHT='#6e9cf0'
GOLD='#f0c030';   GOLD_DARK='#7a5a08'
INK='#101418'

FONT_BOLD='DejaVu-Sans-Bold'
FONT_COND='DejaVu-Sans-Condensed-Bold'
FONT_PLAIN='DejaVu-Sans'

# --- helpers ----------------------------------------------------------------

# Writes an 8-bit palette, bottom-up Windows BMP (BMP3) from any image file.
to_bmp8() {
    local src="$1" dst="$2"
    convert "$src" -alpha off +dither -colors 256 -type Palette -compress None "BMP3:$dst"
}

# Prints MVG for a bevelled button ground: darker 1 px border, lighter top-left edge.
# Args: x y w h ground dark light
button_ground_mvg() {
    local x=$1 y=$2 w=$3 h=$4 ground=$5 dark=$6 light=$7
    local x2=$((x + w - 1)) y2=$((y + h - 1))
    cat <<EOF
stroke none fill $ground rectangle $x,$y $x2,$y2
stroke $light stroke-width 1 fill none
line $((x + 1)),$((y + 1)) $((x2 - 1)),$((y + 1))
line $((x + 1)),$((y + 1)) $((x + 1)),$((y2 - 1))
stroke $dark fill none rectangle $x,$y $x2,$y2
stroke none
EOF
}

# awk prelude with a deterministic Park-Miller generator (exact in doubles).
AWK_RND='function rnd() { seed = (seed * 16807) % 2147483647; return seed / 2147483647 }'

# --- splash (bitmap 152) ----------------------------------------------------

# Discs, rings and dot fields on black, in cyan/teal with orange accents.
splash_mvg() {
    awk "$AWK_RND"'
    BEGIN {
        seed = 20240611; pi = 3.14159265358979
        # Faint field of scattered stars.
        for (i = 0; i < 140; i++) {
            x = rnd() * 354; y = rnd() * 267; r = 0.4 + rnd() * 1.1
            printf "fill hsl(%d,80%%,%d%%) circle %.1f,%.1f %.1f,%.1f\n", 170 + rnd() * 30, 18 + rnd() * 30, x, y, x + r, y
        }
        # Dot lattice on the left, fading outwards.
        for (gy = 0; gy < 11; gy++) for (gx = 0; gx < 9; gx++) {
            x = 14 + gx * 13 + (gy % 2) * 6; y = 14 + gy * 13
            d = sqrt((x - 60) ^ 2 + (y - 75) ^ 2); if (d > 70) continue
            l = 45 - d * 0.5; r = 2.6 - d * 0.025
            printf "fill hsl(178,90%%,%d%%) circle %.1f,%.1f %.1f,%.1f\n", l, x, y, x + r, y
        }
        # Concentric rings behind the main disc ring.
        cx = 248; cy = 96
        for (k = 1; k <= 5; k++)
            printf "fill none stroke hsl(185,70%%,%d%%) stroke-width %.1f circle %d,%d %d,%d\n", 12 + k * 3, 1 + k * 0.3, cx, cy, cx + 16 * k, cy
        print "stroke none"
        # Orbiting discs, hue sweeping cyan to teal.
        n = 16
        for (i = 0; i < n; i++) {
            a = 2 * pi * i / n; x = cx + 72 * cos(a); y = cy + 72 * sin(a) * 0.9
            r = 6 + 4 * (1 + sin(a * 2)) ; h = 165 + 30 * (1 + cos(a)) / 2
            printf "fill hsl(%d,95%%,28%%) circle %.1f,%.1f %.1f,%.1f\n", h, x, y, x + r + 2, y
            printf "fill hsl(%d,95%%,55%%) circle %.1f,%.1f %.1f,%.1f\n", h, x, y, x + r, y
            printf "fill hsl(%d,90%%,82%%) circle %.1f,%.1f %.1f,%.1f\n", h, x - r * 0.3, y - r * 0.3, x - r * 0.3 + r * 0.35, y - r * 0.3
        }
        # Inner ring of small dots.
        for (i = 0; i < 24; i++) {
            a = 2 * pi * i / 24 + 0.13; x = cx + 38 * cos(a); y = cy + 38 * sin(a)
            printf "fill hsl(190,100%%,%d%%) circle %.1f,%.1f %.1f,%.1f\n", 50 + 20 * (i % 2), x, y, x + 1.8, y
        }
        # Orange accents: a comet and a few warm discs.
        for (t = 0; t < 14; t++) {
            x = 40 + t * 7; y = 30 + t * 3.2; r = 0.8 + t * 0.3
            printf "fill hsl(28,100%%,%d%%) circle %.1f,%.1f %.1f,%.1f\n", 20 + t * 3.5, x, y, x + r, y
        }
        printf "fill hsl(35,100%%,85%%) circle %.1f,%.1f %.1f,%.1f\n", 138, 74, 140.5, 74
        split("320,30,7 336,196,5 22,188,6 116,146,4 338,142,3", acc, " ")
        for (i = 1; i <= 5; i++) {
            split(acc[i], p, ",")
            printf "fill hsl(26,100%%,30%%) circle %s,%s %d,%s\n", p[1], p[2], p[1] + p[3] + 2, p[2]
            printf "fill hsl(30,100%%,55%%) circle %s,%s %d,%s\n", p[1], p[2], p[1] + p[3], p[2]
        }
        # Bubble outlines on the right.
        for (i = 0; i < 7; i++) {
            x = 20 + rnd() * 320; y = 200 + rnd() * 60; r = 3 + rnd() * 6
            printf "fill none stroke hsl(175,80%%,40%%) stroke-width 1 circle %.1f,%.1f %.1f,%.1f\n", x, y, x + r, y
        }
        print "stroke none"
    }'
}

make_splash() {
    local bg="$TMP_DIR/splash_bg.png" txt="$TMP_DIR/splash_txt.png"
    convert -size 354x267 xc:black -draw "$(splash_mvg)" "$bg"
    # Title with a teal glow behind it, then a small orange edition line.
    convert -size 354x267 xc:none -font "$FONT_BOLD" -pointsize 66 -gravity center \
        -fill '#00d8d0' -annotate +0+58 'Kalvora' -blur 0x5 \
        -fill '#062a2c' -annotate +2+60 'Kalvora' \
        -fill white -stroke '#0a6f78' -strokewidth 1 -annotate +0+58 'Kalvora' \
        "$txt"
    convert "$bg" "$txt" -composite \
        -font "$FONT_PLAIN" -pointsize 11 -gravity center -fill "$ORANGE_LIGHT" -stroke none \
        -kerning 3 -annotate +0+104 'ZORL Edition' \
        "$TMP_DIR/splash.png"
    to_bmp8 "$TMP_DIR/splash.png" "$RES_DIR/splash.bmp"
}

# --- control panel background (bitmap 155) ----------------------------------

make_panel() {
    # Header rows 0..30, bottom bar rows 164..169; buttons sit at y 40..106.
    local gold="$TMP_DIR/gold.png"
    convert -size 600x170 xc:black \
        -draw "fill $GREEN rectangle 0,0 599,30
               fill $GREEN_LIGHT rectangle 0,0 599,0
               fill $GREEN_DARK rectangle 0,30 599,30
               fill $GREEN rectangle 0,164 599,169
               fill $GREEN_LIGHT rectangle 0,164 599,164" \
        -font "$FONT_BOLD" -pointsize 15 -fill "$GREEN_DARK" \
        -annotate +11+22 'Pattern' -annotate +331+22 'Arrange' \
        -fill white -annotate +10+21 'Pattern' -annotate +330+21 'Arrange' \
        "$TMP_DIR/panel_base.png"
    # Gold name: vertical gradient clipped to the letters, with a dark drop shadow.
    convert -size 600x170 xc:none -font "$FONT_BOLD" -pointsize 40 -gravity southeast \
        -fill "$GOLD_DARK" -annotate +10+8 'Kalvora' "$TMP_DIR/gold_shadow.png"
    convert -size 600x170 xc:none -font "$FONT_BOLD" -pointsize 40 -gravity southeast \
        -fill white -annotate +12+10 'Kalvora' "$TMP_DIR/gold_mask.png"
    convert -size 600x170 xc:none \
        \( -size 600x57 gradient:'#fff0a0'-"$GOLD" \) -geometry +0+113 -composite \
        \( -size 600x113 xc:'#fff0a0' \) -geometry +0+0 -composite \
        "$TMP_DIR/gold_mask.png" -compose DstIn -composite "$gold"
    convert "$TMP_DIR/panel_base.png" "$TMP_DIR/gold_shadow.png" -composite "$gold" -composite \
        "$TMP_DIR/panel.png"
    to_bmp8 "$TMP_DIR/panel.png" "$RES_DIR/panel.bmp"
}

# --- pattern icons (bitmap 154) ---------------------------------------------

# Prints MVG for the picture of pattern $1 inside a 33 x 33 tile at the origin.
# White and ink only, so it reads on green, orange and blue grounds alike.
pattern_picture_mvg() {
    awk -v n="$1" -v W=white -v K="$INK" "$AWK_RND"'
    function disc(x, y, r, c) { printf "fill %s circle %.1f,%.1f %.1f,%.1f\n", c, x, y, x + r, y }
    function ring(x, y, r, c) { printf "fill none stroke %s stroke-width 1 circle %.1f,%.1f %.1f,%.1f\nstroke none\n", c, x, y, x + r, y }
    function bar(x1, y1, x2, y2, c) { printf "fill %s rectangle %.1f,%.1f %.1f,%.1f\n", c, x1, y1, x2, y2 }
    function seg(x1, y1, x2, y2, c) { printf "fill none stroke %s stroke-width 1 line %.1f,%.1f %.1f,%.1f\nstroke none\n", c, x1, y1, x2, y2 }
    BEGIN {
        pi = 3.14159265358979; seed = 1000 + n * 37; cx = 17; cy = 14
        if (n == 0) {           # analyser: bars and a dot graph
            split("9 15 12 18 7", h, " ")
            for (i = 1; i <= 5; i++) bar(5 + (i - 1) * 5, 22 - h[i] * 0.8, 8 + (i - 1) * 5, 22, W)
            for (i = 0; i < 9; i++) disc(5 + i * 3, 5 + 2.5 * sin(i * 0.9), 1, K)
            seg(3, 24, 30, 24, K)
        } else if (n == 1) {    # orbiting discs ring
            for (i = 0; i < 8; i++) { a = 2 * pi * i / 8; disc(cx + 9 * cos(a), cy + 9 * sin(a), 2.3 + (i % 2) * 0.8, (i % 4 ? W : K)) }
            disc(cx, cy, 2, K)
        } else if (n == 2) {    # one disc wandering about the centre on a Lissajous path
            for (i = 0; i < 40; i++) { t = 2 * pi * i / 40; disc(cx + 11 * sin(t), cy + 9 * cos(t * 123 / 100 * 2), 0.55, K) }
            disc(cx + 3, cy + 7.5, 4.2, W)
        } else if (n == 3) {    # drifting dots with motion trails
            for (i = 0; i < 6; i++) {
                x = 11 + rnd() * 17; y = 4 + i * 3.8
                seg(x - 7, y + 1.5, x - 2, y + 0.3, K); disc(x, y, 1.6, W)
            }
        } else if (n == 4) {    # scattered dots
            for (i = 0; i < 16; i++) disc(4 + rnd() * 25, 4 + rnd() * 19, 0.8 + rnd() * 1.6, (i % 3 ? W : K))
        } else if (n == 5) {    # grid of dots
            for (gy = 0; gy < 5; gy++) for (gx = 0; gx < 5; gx++) disc(7 + gx * 5.3, 4 + gy * 4.7, 1.4, ((gx + gy) % 2 ? K : W))
        } else if (n == 6) {    # swarm: dense cluster
            for (i = 0; i < 34; i++) { a = rnd() * 2 * pi; d = 10 * rnd() ^ 1.2; disc(cx + d * cos(a) * 1.3, cy + d * sin(a) * 0.8, 0.8 + (i % 5 == 0) * 0.6, (i % 4 ? W : K)) }
        } else if (n == 7) {    # star field: stars of all sizes streaming one way, the big ones fastest
            for (i = 0; i < 22; i++) { x = 3 + rnd() * 27; y = 3 + rnd() * 21; s = int(rnd() * rnd() * 4)
                if (s >= 2) seg(x - 3 * s, y - s, x - 1.5, y - 0.5, K)
                disc(x, y, 0.5 + s * 0.5, (s ? W : K)) }
        } else if (n == 8) {    # fountain: arcs of dots from a spout
            for (s = -1; s <= 1; s += 2) for (i = 0; i <= 7; i++) {
                t = i / 7; x = cx + s * 12 * t; y = 23 - 36 * t + 30 * t * t; disc(x, y, 1.4, W) }
            for (i = 0; i <= 5; i++) disc(cx, 23 - i * 3.4, 1.1, (i % 2 ? K : W))
            bar(cx - 4, 24, cx + 4, 26, K)
        } else if (n == 9) {    # sinking discs with streaks above
            split("8 11 2.8 17 19 3.4 25 8 2.2 9 22 1.6 27 20 2.4", p, " ")
            for (i = 0; i < 5; i++) { x = p[i * 3 + 1]; y = p[i * 3 + 2]; r = p[i * 3 + 3]
                seg(x, y - r - 6, x, y - r - 1.5, K); disc(x, y, r, W) }
        } else if (n == 10) {   # ring of dots
            for (i = 0; i < 16; i++) { a = 2 * pi * i / 16; disc(cx + 10 * cos(a), cy + 10 * sin(a), 1.3, W) }
            ring(cx, cy, 6, K)
        } else if (n == 11) {   # dancing swarm: discs each swinging about a centre of its own
            split("8 7 0.3 20 5 2.1 27 13 4 14 16 1.2 6 20 5.2 23 21 3.3", p, " ")
            for (i = 0; i < 6; i++) { x = p[i * 3 + 1]; y = p[i * 3 + 2]; p0 = p[i * 3 + 3]
                for (j = 0; j < 10; j++) { t = 2 * pi * j / 10; disc(x + 3.5 * sin(t), y + 3 * cos(2 * t), 0.35, K) }
                disc(x + 3.5 * sin(p0), y + 3 * cos(2 * p0), 1.7, W) }
        } else if (n == 12) {   # comets: heads with tapering tails
            split("24 6 28 15 19 22", p, " ")
            for (c = 0; c < 3; c++) { x = p[c * 2 + 1]; y = p[c * 2 + 2]
                for (j = 5; j >= 1; j--) disc(x - j * 3, y - j * 1.2, 0.3 + (5 - j) * 0.25, K)
                disc(x, y, 2.1, W) }
        } else if (n == 13) {   # sliding lattice: rows shifted against each other
            for (gy = 0; gy < 4; gy++) { off = (gy % 2) * 3.5
                seg(3, 5 + gy * 5.8, 30, 5 + gy * 5.8, K)
                for (gx = 0; gx < 4; gx++) disc(6 + off + gx * 7, 5 + gy * 5.8, 1.5, W) }
        } else if (n == 14) {   # spinning bars of dots
            for (k = 0; k < 3; k++) { a = pi * k / 3 + 0.3
                for (j = -3; j <= 3; j++) disc(cx + j * 3.2 * cos(a), cy + j * 3.2 * sin(a), (j == 0 ? 1.8 : 1.1), (k == 0 ? K : W)) }
        } else if (n == 15) {   # bubbles
            split("16 18 5 25 10 3.5 9 8 2.5 26 21 2.4 19 4 1.8 6 16 1.6", p, " ")
            for (i = 0; i < 6; i++) { x = p[i * 3 + 1]; y = p[i * 3 + 2]; r = p[i * 3 + 3]
                ring(x, y, r, W); disc(x - r * 0.4, y - r * 0.4, 0.6, W) }
        } else if (n == 16) {   # flyers coming in from the edges
            split("2 6 1 0.4 31 20 -1 -0.4 14 31 0.3 -1 25 1 -0.3 1", p, " ")
            for (i = 0; i < 4; i++) { x = p[i * 4 + 1]; y = p[i * 4 + 2]; dx = p[i * 4 + 3]; dy = p[i * 4 + 4]
                hx = x + dx * 9; hy = y + dy * 9
                seg(x, y, hx - dx * 2, hy - dy * 2, K); disc(hx, hy, 2, W) }
        }
    }'
}

make_pattern_icons() {
    local grounds=("$GREEN $GREEN_DARK $GREEN_LIGHT" "$ORANGE $ORANGE_DARK $ORANGE_LIGHT" "$BLUE $BLUE_DARK $BLUE_LIGHT")
    local ground_mvg="" tiles=() args=() i row
    for row in 0 1 2; do
        for i in $(seq 0 16); do
            # shellcheck disable=SC2086
            ground_mvg+="$(button_ground_mvg $((33 * i)) $((33 * row)) 33 33 ${grounds[$row]})"$'\n'
            # Pattern number, small, in the bottom-left corner.
            args+=(-annotate "+$((33 * i + 2))+$((33 * row + 31))" "$i")
        done
    done
    # Each picture is drawn on its own transparent tile so it can't spill into a neighbour.
    for i in $(seq 0 16); do
        convert -size 33x33 xc:none -draw "$(pattern_picture_mvg "$i")" "$TMP_DIR/picture$i.png"
        tiles+=("$TMP_DIR/picture$i.png")
    done
    convert "${tiles[@]}" +append "$TMP_DIR/pictures.png"
    convert -size 561x99 xc:black -draw "$ground_mvg" \
        "$TMP_DIR/pictures.png" -geometry +0+0 -composite \
        "$TMP_DIR/pictures.png" -geometry +0+33 -composite \
        "$TMP_DIR/pictures.png" -geometry +0+66 -composite \
        -font "$FONT_COND" -pointsize 8 -fill "$INK" "${args[@]}" \
        "$TMP_DIR/pattern_icons.png"
    to_bmp8 "$TMP_DIR/pattern_icons.png" "$RES_DIR/pattern_icons.bmp"
}

# --- Arrange buttons (bitmap 153) -------------------------------------------

make_arrange_buttons() {
    local names=("None" "Dynamic|Soft" "Dynamic|Normal" "Dynamic|Hard" "Dynamic|User"
                 "Static|1 Sec" "Static|5 Sec" "Static|10 Sec" "Static|User")
    local mvg="" args=() j row x y cx first second
    for row in 0 1; do
        for j in "${!names[@]}"; do
            x=$((49 * j)); y=$((33 * row))
            if [ "$row" -eq 0 ]; then
                mvg+="$(button_ground_mvg "$x" "$y" 49 33 "$GREEN" "$GREEN_DARK" "$GREEN_LIGHT")"$'\n'
            else
                mvg+="$(button_ground_mvg "$x" "$y" 49 33 "$ORANGE" "$ORANGE_DARK" "$ORANGE_LIGHT")"$'\n'
            fi
        done
    done
    # Offsets are from the image centre (gravity center); button centres are 49 apart.
    for row in 0 1; do
        for j in "${!names[@]}"; do
            cx=$((49 * j + 24 - 220)); y=$((33 * row + 16 - 33))
            first="${names[$j]%%|*}"; second="${names[$j]#*|}"
            if [ "$first" = "$second" ]; then
                args+=(-annotate "$(printf '%+d%+d' "$cx" "$y")" "$first")
            else
                args+=(-annotate "$(printf '%+d%+d' "$cx" "$((y - 6))")" "$first")
                args+=(-annotate "$(printf '%+d%+d' "$cx" "$((y + 6))")" "$second")
            fi
        done
    done
    convert -size 441x66 xc:black -draw "$mvg" \
        -font "$FONT_COND" -pointsize 9 -fill white -gravity center "${args[@]}" \
        "$TMP_DIR/arrange_buttons.png"
    to_bmp8 "$TMP_DIR/arrange_buttons.png" "$RES_DIR/arrange_buttons.bmp"
}

# --- Arrange dialog pictures (bitmaps 142 and 145) --------------------------

make_dynamic_legend() {
    convert -size 100x50 xc:"$GREEN" \
        -draw "fill none stroke $GREEN_DARK rectangle 0,0 99,49
               stroke $GREEN_LIGHT line 3,14 96,14" \
        -font "$FONT_COND" -pointsize 10 -fill white -stroke none \
        -gravity north -annotate +0+1 'Dynamic Arrange' \
        -font "$FONT_COND" -pointsize 10 \
        -gravity northeast -annotate +70+16 '100' -annotate +70+27 '75' -annotate +70+38 '50' \
        -gravity northwest -annotate +36+16 'Soft' -annotate +36+27 'Normal' -annotate +36+38 'Hard' \
        "$TMP_DIR/dynamic_legend.png"
    to_bmp8 "$TMP_DIR/dynamic_legend.png" "$RES_DIR/dynamic_legend.bmp"
}

make_arrange_title() {
    convert -size 300x32 xc:"$GREEN" \
        -draw "fill $GREEN_LIGHT rectangle 0,0 299,0
               fill $GREEN_DARK rectangle 0,31 299,31
               fill $ORANGE_DARK circle 17,16 17,4
               fill $ORANGE circle 16,15 16,5
               fill $ORANGE_LIGHT circle 13,12 13,9" \
        -font "$FONT_BOLD" -pointsize 15 \
        -fill "$GREEN_DARK" -annotate +37+22 'Arrange user setting' \
        -fill white -annotate +36+21 'Arrange user setting' \
        "$TMP_DIR/arrange_title.png"
    to_bmp8 "$TMP_DIR/arrange_title.png" "$RES_DIR/arrange_title.bmp"
}

# --- icons (151 control window, 152 display window) -------------------------

# Prints MVG for three discs on a black rounded square, drawn in a 32 px frame.
# Args: base hue (degrees) and accent hue.
icon_mvg() {
    local hue=$1 accent=$2
    cat <<EOF
fill black roundrectangle 0,0 31,31 5,5
fill hsl($hue,95%,30%) circle 12,13 12,2
fill hsl($hue,95%,55%) circle 12,13 12,4
fill hsl($hue,90%,85%) circle 9,10 9,8
fill hsl($accent,100%,35%) circle 23,22 23,14
fill hsl($accent,100%,58%) circle 23,22 23,16
fill hsl($((hue + 20)),90%,60%) circle 24,8 24,5
fill hsl($((hue - 15)),90%,60%) circle 8,25 8,22
EOF
}

# Writes an .ico holding a 32 x 32 and a 16 x 16 image. Args: out hue accent.
make_icon() {
    local out=$1 hue=$2 accent=$3 name
    name="$(basename "$out" .ico)"
    convert -size 32x32 xc:none -draw "$(icon_mvg "$hue" "$accent")" "$TMP_DIR/${name}32.png"
    convert -size 16x16 xc:none -draw "scale 0.5,0.5 $(icon_mvg "$hue" "$accent")" "$TMP_DIR/${name}16.png"
    convert "$TMP_DIR/${name}32.png" "$TMP_DIR/${name}16.png" "$out"
}

make_icons() {
    make_icon "$RES_DIR/kalvora.ico" 182 28        # control window: cyan with orange
    make_icon "$RES_DIR/kalvora_disp.ico" 300 55   # display window: magenta with yellow
}

main() {
    make_splash
    make_panel
    make_pattern_icons
    make_arrange_buttons
    make_dynamic_legend
    make_arrange_title
    make_icons
}

main "$@"
