#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes small WAVE files with the tag chunks the reader of a file's own tags reads into $1.
set -euo pipefail
out=$1
mkdir -p "$out"

fmt='fmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00'
data='data\x04\x00\x00\x00\x01\x00\xff\xff'
# INAM "abc", IART in code page 932 (two double-byte characters), ICRD, IGNR.
info='LIST\x40\x00\x00\x00INFOINAM\x04\x00\x00\x00abc\x00IART\x05\x00\x00\x00\x89\xcc\x8e\xe8\x00\x00ICRD\x0b\x00\x00\x002003-05-12\x00\x00IGNR\x05\x00\x00\x00Rock\x00\x00'
# An ID3v2.3 tag with a TIT2 frame "t" and a TCON frame "(17)".
id3='ID3\x03\x00\x00\x00\x00\x00\x1bTIT2\x00\x00\x00\x02\x00\x00\x00tTCON\x00\x00\x00\x05\x00\x00\x00(17)'

printf "RIFF\x00\x00\x00\x00WAVE${fmt}${data}${info}" >"$out/info"
printf "RIFF\x00\x00\x00\x00WAVE${fmt}${data}id3 \x25\x00\x00\x00${id3}\x00" >"$out/id3"
printf "RIFF\x00\x00\x00\x00WAVE${fmt}${data}${info}ID3 \x25\x00\x00\x00${id3}\x00" >"$out/both"
# A compressed title frame (its inflated size, then zlib data) and an encrypted one, before an
# artist frame: the kinds of frame that are passed over.
frames='TIT2\x00\x00\x00\x08\x00\x80\x40\x00\x00\x00\x78\x9c\x63\x00TIT2\x00\x00\x00\x03\x00\x40\x01xyTPE1\x00\x00\x00\x02\x00\x00\x00a'
printf "RIFF\x00\x00\x00\x00WAVE${fmt}${data}id3 \x35\x00\x00\x00ID3\x03\x00\x00\x00\x00\x00\x2b${frames}\x00" >"$out/packed"
# More empty chunks before the tags than are walked.
{
  printf "RIFF\x00\x00\x00\x00WAVE${fmt}${data}"
  for _ in $(seq 2000); do printf 'junk\x00\x00\x00\x00'; done
  printf "${info}"
} >"$out/many"
