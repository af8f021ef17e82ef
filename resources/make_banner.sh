#!/bin/sh
# Draws the about window's banner: 384 x 76 pixels, 8 bits per pixel with a 256-colour palette.
# A blue water gradient with light streaks and the product name (DejaVu Sans Bold, rasterised).
# Needs ImageMagick 6 (convert) and the fonts-dejavu-core package.
set -e
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
convert -size 384x76 gradient:'#0b3d91-#5fb4e8' \
    \( -size 384x76 xc:none -stroke '#ffffff40' -strokewidth 2 \
       -draw "line 0,58 384,44" -draw "line 0,66 384,60" -draw "line 0,20 384,30" \) -composite \
    -font "$font" -pointsize 34 -fill '#00000060' -gravity center -annotate +2+2 'Quillmark' \
    -fill white -annotate +0+0 'Quillmark' \
    -colors 256 -type Palette -compress None BMP3:banner.bmp
