#!/usr/bin/env bash
# Writes small WAVE headers of the shapes the reader distinguishes into folder $1.
set -euo pipefail
out=$1
mkdir -p "$out"

# 16-bit stereo at 44100 Hz: tag 1, channels 2, rate, bytes per second, block align 4, 16 bits.
fmt='\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00'
audio='\x01\x00\xff\xff\x02\x00\xfe\xff'

printf "RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00${fmt}data\x08\x00\x00\x00${audio}" \
  >"$out/canonical"
printf "RIFF\x2e\x00\x00\x00WAVEfmt \x12\x00\x00\x00${fmt}\x00\x00data\x08\x00\x00\x00${audio}" \
  >"$out/extension-empty"
printf "RIFF\x44\x00\x00\x00WAVEfmt \x28\x00\x00\x00${fmt}\x16\x00%022ddata\x08\x00\x00\x00${audio}" 0 \
  >"$out/extensible"
printf "RIFF\x38\x00\x00\x00WAVEfmt \x10\x00\x00\x00${fmt}LIST\x04\x00\x00\x00INFOdata\x08\x00\x00\x00${audio}" \
  >"$out/list-before-data"
printf "RIFF\x24\x00\x00\x00WAVEfmt \x12\x00\x00\x00${fmt}" >"$out/ends-after-fmt"
printf "RIFF\x24\x00\x00\x00WAVEJUNK\x04\x00\x00\x00\x00\x00\x00\x00fmt \x10\x00\x00\x00${fmt}" \
  >"$out/junk-first"
