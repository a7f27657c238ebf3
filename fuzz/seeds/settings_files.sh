#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes settings files of the shapes the readers distinguish into folder $1.
set -euo pipefail
out=$1
mkdir -p "$out"

printf '[OutFolder]\r\n\tOutFolder=/home/user/\r\n\tPreset=0\r\n\tIdentityOutFile=1\r\n\tEncodeType=0\r\n[LAME Parm]\r\n\tSampleRate=44100\r\n\tReSampleRate=0\r\n\tMode=0\r\n\tBitrate=128\r\n\tMaxBitrate=0\r\n\tQuality=2\r\n\tMpegVersion=1\r\n\tPsyModel=0\r\n\tEmphasis=0\r\n\tPrivate=0\r\n\tCRC=0\r\n\tCopyright=0\r\n\tOriginal=0\r\n\tWriteVBRHeader=0\r\n\tEnableVBR=0\r\n\tVBRQuality=0\r\n\tVbrAbr_bps=0\r\n\tVbrMethod=0\r\n\tNoRes=1\r\n[OGG Parm]\r\n\tMode=2\r\n\tPreset=0.50\r\n\tCustom=0\r\n\tMinBitrate=-1\r\n\tAveBitrate=-1\r\n\tMaxBitrate=-1\r\n' \
  >"$out/opt-default"
printf '[OGG Parm]\nPreset=-1e2\nMaxBitrate=99999999999\n[OutFolder]\nOutFolder=  /a b/ \n [LAME Parm]\n[LAME Parm]\nVbrMethod=7\nBitrate=192kbps\n' \
  >"$out/opt-odd"
printf '[Preset7]\r\n\tName=\x82\x65\x82\x6c\x83\x89\x83\x57\x83\x49\r\n\tMode=1\r\n\tBitrate=96\r\n\tQuality=4000\r\n[Preset2]\r\n\tVbrMethod=4\r\n[\r\n [x\r\n' \
  >"$out/preset-cp932"
printf '\xef\xbb\xbf\tName=Early\n\tBitrate=32\n[Preset1]\nName=\xe5\xa3\xb0\n' >"$out/preset-utf8-bom"
printf 'OutFolder=c:\\music\r\nIdentityOutFile=1\r\nMode=3\r\n' >"$out/opt-windows-no-headers"
printf '[OutFolder]\r\n\tJobs=2\r\n\tOutputLayout=1\r\n[OutFolder]\r\n\tOutputLayout=-2\r\n' >"$out/opt-layouts"
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR' >"$out/not-settings"
printf '[\n[\nName=carried\n[\nBitrate=320\n' >"$out/preset-carried-name"
