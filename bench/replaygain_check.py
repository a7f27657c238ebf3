#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compares the ReplayGain values wavpress-cli writes with ffmpeg's own measurement.

Converts every WAVE file under a folder (each sub-folder an album: no album texts) to MP3 and
Ogg Vorbis with --replaygain, then prints, for each output, our track and album gain beside
ffmpeg's: the track's from its ebur128 filter over the input, the album's gated afresh here from
the 400 ms block loudness ffmpeg logs for each input of the album (BS.1770's gates over all of
them together). Last, a player's view: the integrated loudness ffmpeg measures on each output
played with its track gain, which should land near -18 LUFS: for MP3 through
volume=replaygain=track; ffmpeg's volume filter does not see the values of Vorbis comments, so an
Ogg output is played with volume set to the gain its comments give.

    bench/replaygain_check.py BUILD_BIN_FOLDER WAVE_FOLDER
"""
import math
import pathlib
import re
import subprocess
import sys
import tempfile


def ffmpeg_log(path, filters):
    run = subprocess.run(["ffmpeg", "-hide_banner", "-nostats", "-v", "verbose", "-i", str(path),
                          "-af", filters, "-f", "null", "-"],
                         capture_output=True, text=True, check=True)
    return run.stderr


def integrated(log):
    return float(re.findall(r"I:\s+(-?[\d.]+) LUFS", log.split("Summary:")[1])[0])


def blocks(path):
    """Momentary loudness of each whole 400 ms block, 100 ms apart."""
    log = ffmpeg_log(path, "ebur128=framelog=verbose")
    found = re.findall(r"t: ([\d.]+)\s+TARGET:\S+ LUFS\s+M:\s*(-?[\d.]+)", log)
    return [float(m) for t, m in found if float(t) >= 0.399]


def gated(loudness):
    energy = [10 ** ((m + 0.691) / 10) for m in loudness if m > -70.0]
    relative = -0.691 + 10 * math.log10(sum(energy) / len(energy)) - 10.0
    kept = [e for e, m in zip(energy, [m for m in loudness if m > -70.0]) if m > relative]
    return -0.691 + 10 * math.log10(sum(kept) / len(kept))


def tags(path):
    log = subprocess.run(["ffprobe", "-hide_banner", str(path)], capture_output=True,
                         text=True).stderr
    return {name.upper(): float(value) for name, value in
            re.findall(r"(REPLAYGAIN_(?:TRACK|ALBUM)_GAIN)\s*:\s*(-?[\d.]+) dB", log,
                       re.IGNORECASE)}


def main():
    binaries, waves = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    inputs = sorted(waves.rglob("*.wav"))
    album_blocks = {}
    for wave in inputs:
        album_blocks.setdefault(wave.parent, []).extend(blocks(wave))
    print("| File | Encoder | Track gain (ours) | Track gain (ffmpeg) | Album gain (ours) "
          "| Album gain (ffmpeg blocks) | Played with track gain |")
    print("|---|---|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as out:
        for encoder in ("mp3", "ogg"):
            subprocess.run([str(binaries / "wavpress-cli"), "-y", "-q", "-t", encoder, "-l",
                            "tree", "--replaygain", "-o", out + "/", str(waves)], check=True)
            for wave in inputs:
                relative = wave.relative_to(waves.parent).with_suffix("." + encoder)
                output = pathlib.Path(out) / relative
                ours = tags(output)
                track = -18.0 - integrated(ffmpeg_log(wave, "ebur128"))
                album = -18.0 - gated(album_blocks[wave.parent])
                gain = ("replaygain=track" if encoder == "mp3"
                        else f"{ours['REPLAYGAIN_TRACK_GAIN']}dB")
                played = integrated(ffmpeg_log(output, f"volume={gain},ebur128"))
                print(f"| {wave.relative_to(waves)} | {encoder} "
                      f"| {ours['REPLAYGAIN_TRACK_GAIN']:.2f} | {track:.1f} "
                      f"| {ours['REPLAYGAIN_ALBUM_GAIN']:.2f} | {album:.2f} | {played:.1f} LUFS |")


if __name__ == "__main__":
    main()
