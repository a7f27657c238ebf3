// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveLayouts.h"

namespace testsupport {
namespace {

// What ffmpeg puts between fmt and data: 26 bytes of body, not a multiple of a frame.
const std::string kFfmpegList =
    Chunk("LIST", std::string("INFOISFT\x0e\x00\x00\x00Lavf58.76.100\x00", 26));

} // namespace

std::vector<WaveLayout> ChunkLayouts() {
    std::vector<WaveLayout> layouts;
    const auto add = [&layouts](std::string name, auto change, std::string trailing = {}) {
        WaveLayout layout{std::move(name), WaveHeader{}, std::move(trailing)};
        change(layout.header);
        layouts.push_back(std::move(layout));
    };
    add("Canonical", [](WaveHeader&) {});
    add("ListBeforeData", [](WaveHeader& h) { h.chunksBeforeData = kFfmpegList; });
    add("OddChunkWithItsPadByte",
        [](WaveHeader& h) { h.chunksBeforeData = Chunk("LIST", "INFOINAMabcde"); });
    add("OddChunkWithoutItsPadByte",
        [](WaveHeader& h) { h.chunksBeforeData = Chunk("LIST", "INFOINAMabcde", false); });
    add("FactAndPeakBeforeData", [](WaveHeader& h) {
        h.chunksBeforeData =
            Chunk("fact", std::string(4, '\x10')) + Chunk("PEAK", std::string(24, '\x7f'));
    });
    add(
        "ChunksAfterData", [](WaveHeader&) {},
        Chunk("LIST", "INFOICMTcomment") + Chunk("id3 ", "ID3\x03" + std::string(40, '\xff')) +
            Chunk("cue ", std::string(28, '\x55')));
    add("JunkFirst",
        [](WaveHeader& h) { h.chunksBeforeFmt = Chunk("JUNK", std::string(28, '\0')); });
    add("BroadcastWave",
        [](WaveHeader& h) { h.chunksBeforeFmt = Chunk("bext", std::string(603, 'b')); });
    add("FmtOf20WithEmptyExtension", [](WaveHeader& h) {
        h.fmtSize = 20;
        h.extensionSize = 0;
    });
    add("BogusExtensionSize", [](WaveHeader& h) {
        h.fmtSize = 18;
        h.extensionSize = 0xFFFF;
    });
    add("Extensible", [](WaveHeader& h) {
        h.formatTag = 0xFFFE;
        h.fmtSize = 40;
        h.extensionSize = 22;
        h.extension = ExtensibleExtension();
    });
    add("StreamedWithUnknownSize", [](WaveHeader& h) { h.dataSize = 0xFFFFFFFF; });
    add("StreamedWithZeroSize", [](WaveHeader& h) { h.dataSize = 0; });
    return layouts;
}

} // namespace testsupport
