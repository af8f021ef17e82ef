#!/bin/sh
# Draws the about window's banner: 384 x 76 pixels at 96 DPI, and the same drawing at 144 and
# 192 DPI (576 x 114, 768 x 152) for the window at 150 and 200 % scaling; 8 bits per pixel with a
# 256-colour palette. A blue water gradient with light streaks and the product name (DejaVu Sans
# Bold, rasterised). Needs ImageMagick 6 (convert) and the fonts-dejavu-core package.
set -e
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
# draw PERCENT FILE: every figure of the 96-DPI drawing times PERCENT / 100.
draw() {
  s() { echo $(( $1 * $2 / 100 )); }
  p=$1 w=$(s 384 "$1") h=$(s 76 "$1")
  convert -size ${w}x${h} gradient:'#0b3d91-#5fb4e8' \
      \( -size ${w}x${h} xc:none -stroke '#ffffff40' -strokewidth $(s 2 "$p") \
         -draw "line 0,$(s 58 "$p") $w,$(s 44 "$p")" -draw "line 0,$(s 66 "$p") $w,$(s 60 "$p")" \
         -draw "line 0,$(s 20 "$p") $w,$(s 30 "$p")" \) -composite \
      -font "$font" -pointsize $(s 34 "$p") -fill '#00000060' -gravity center \
      -annotate +$(s 2 "$p")+$(s 2 "$p") 'Quillmark' \
      -fill white -annotate +0+0 'Quillmark' \
      -colors 256 -type Palette -compress None BMP3:"$2"
}
draw 100 banner.bmp
draw 150 banner_144.bmp
draw 200 banner_192.bmp
