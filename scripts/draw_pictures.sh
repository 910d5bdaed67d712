#!/usr/bin/env bash
# Draws the cast buttons' 32x32 portraits and the window icon into
# app/pictures/ (ImageMagick). White is the transparent colour, so nothing
# in a portrait is pure white. Run by hand when a picture changes; the PNG
# files are committed and built into the program as Qt resources.
set -euo pipefail
cd "$(dirname "$0")/../app/pictures"

skin='rgb(255,226,204)'
portrait() { # file hair-colour style accent
  local file=$1 hair=$2 style=$3 accent=$4
  local back fringe extra
  case $style in
    long)      back="roundrectangle 5,6 26,31 6,6" ;;
    short)     back="roundrectangle 7,5 24,20 6,6" ;;
    bob)       back="roundrectangle 6,5 25,24 5,5" ;;
    ponytail)  back="roundrectangle 7,5 24,20 6,6 ellipse 27,14 3,9 0,360" ;;
    twintails) back="roundrectangle 7,5 24,20 6,6 ellipse 4,18 3,8 0,360 ellipse 27,18 3,8 0,360" ;;
    bun)       back="roundrectangle 7,6 24,20 6,6 circle 16,4 16,0" ;;
    spiky)     back="polygon 6,14 8,3 12,7 16,1 20,7 24,3 26,14" ;;
  esac
  fringe="polygon 9,13 11,6 16,4 21,6 23,13 19,9 14,10 12,9"
  case $accent in
    ribbon)  extra="fill rgb(220,40,60) polygon 20,4 26,1 26,8 fill rgb(220,40,60) polygon 20,4 14,1 14,8" ;;
    band)    extra="fill rgb(60,90,200) rectangle 9,6 23,7" ;;
    glasses) extra="fill none stroke rgb(60,60,60) circle 13,16 13,18.5 circle 19,16 19,18.5 line 15,16 17,16" ;;
    red)     extra="fill rgb(210,30,40) rectangle 13,28 19,31" ;;
    flower)  extra="fill rgb(240,120,170) circle 23,7 23,9" ;;
    *)       extra="" ;;
  esac
  convert -size 32x32 xc:white \
    -fill "$hair" -draw "$back" \
    -fill "$skin" -draw "ellipse 16,16 7,8 0,360" \
    -fill "$skin" -draw "rectangle 13,23 19,27" \
    -fill "$hair" -draw "$fringe" \
    -fill 'rgb(40,30,60)' -draw "rectangle 12,15 13,17 rectangle 19,15 20,17" \
    -fill 'rgb(220,110,110)' -draw "line 15,21 17,21" \
    -fill 'rgb(80,90,140)' -draw "polygon 6,31 10,26 22,26 26,31" \
    ${extra:+-draw "$extra"} \
    -type TrueColor "PNG24:$file"
}

portrait Command1.png  'rgb(150,90,50)'  long      ribbon   # 星野ゆら
portrait Command2.png  'rgb(200,150,90)' twintails flower   # 白石ちとせ
portrait Command3.png  'rgb(110,70,40)'  bun       none     # 白石晴美
portrait Command4.png  'rgb(25,25,35)'   ponytail  none     # 朝倉凛
portrait Command5.png  'rgb(90,50,100)'  long      none     # 高峰小夜子
portrait Command6.png  'rgb(200,195,215)' bob      glasses  # 柚木真白
portrait Command7.png  'rgb(20,20,30)'   long      red      # 宮下紗雪
portrait Command8.png  'rgb(40,45,90)'   bun       none     # 桐原千景
portrait Command9.png  'rgb(40,60,110)'  long      band     # 桐原しずく
portrait Command10.png 'rgb(45,40,35)'   spiky     none     # 森本航

# The window icon: a sheet of script with a pen.
convert -size 32x32 xc:white \
  -fill 'rgb(250,246,230)' -stroke 'rgb(90,90,110)' -draw "rectangle 5,2 24,29" \
  -stroke 'rgb(120,120,150)' -draw "line 8,8 21,8 line 8,12 21,12 line 8,16 18,16 line 8,20 15,20" \
  -stroke none -fill 'rgb(200,60,60)' -draw "polygon 27,9 30,12 17,26 13,28 14,23" \
  -fill 'rgb(60,60,70)' -draw "polygon 13,28 14,23 16,25" \
  -type TrueColor PNG24:Form1.png
