// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveFileTags.h"

#include "WaveTagChunks.h"
#include "platform/CodePage.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tdebuglistener.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

#include <cctype>
#include <mutex>
#include <string_view>

namespace {

// INFO texts say nothing of their encoding: each byte is kept as one Latin-1 character, to be
// decoded here. TagLib's handler base has no virtual destructor; TagLib never deletes a handler,
// and this one is a static object.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RawInfoText final : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return TagLib::String(data, TagLib::String::Latin1);
    }
};
#pragma GCC diagnostic pop

// A broken chunk is a file without that tag, not a line on the user's terminal.
class SilentDebugListener : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

void PrepareTagLib() {
    static std::once_flag prepared;
    std::call_once(prepared, [] {
        static const RawInfoText rawInfoText;
        static SilentDebugListener silent;
        TagLib::RIFF::Info::Tag::setStringHandler(&rawInfoText);
        TagLib::setDebugListener(&silent);
    });
}

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::string InfoText(const TagLib::RIFF::Info::Tag* tag, const char* id) {
    if (tag == nullptr) {
        return {};
    }
    const std::string bytes = tag->fieldText(id).to8Bit(false);
    return platform::IsValidUtf8(bytes) ? bytes : platform::Cp932ToUtf8(bytes);
}

std::string FrameText(const TagLib::ID3v2::Tag* tag, const char* id) {
    if (tag == nullptr) {
        return {};
    }
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()[id];
    return frames.isEmpty() ? std::string() : Utf8(frames.front()->toString());
}

// The comment proper: COMM frames with a description carry other programs' data (iTunNORM …).
std::string Id3v2Comment(const TagLib::ID3v2::Tag* tag) {
    if (tag == nullptr) {
        return {};
    }
    for (const TagLib::ID3v2::Frame* frame : tag->frameListMap()["COMM"]) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment != nullptr && comment->description().isEmpty()) {
            return Utf8(comment->text());
        }
    }
    return {};
}

std::string FirstFourDigits(std::string_view text) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        run = std::isdigit(static_cast<unsigned char>(text[i])) != 0 ? run + 1 : 0;
        if (run == 4) {
            return std::string(text.substr(i - 3, 4));
        }
    }
    return {};
}

// ID3v2 genres are names or ID3v1 genre numbers (TagLib gives "(17)" of ID3v2.3 as "17"),
// several in one frame; the first one known wins.
std::uint8_t Id3v2Genre(const TagLib::ID3v2::Tag* tag) {
    if (tag == nullptr) {
        return NoGenre;
    }
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()["TCON"];
    const auto* genres =
        frames.isEmpty()
            ? nullptr
            : dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    if (genres == nullptr) {
        return NoGenre;
    }
    for (const TagLib::String& field : genres->fieldList()) {
        bool isNumber = false;
        const int number = field.toInt(&isNumber);
        if (isNumber && number >= 0 && static_cast<std::size_t>(number) < GenreNames.size()) {
            return static_cast<std::uint8_t>(number);
        }
        if (const std::uint8_t genre = FindGenre(Utf8(field)); genre != NoGenre) {
            return genre;
        }
    }
    return NoGenre;
}

std::string LittleEndian32(std::size_t value) {
    std::string bytes(4, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

std::string Chunk(std::string_view id, const std::string& body) {
    std::string chunk(id);
    chunk += LittleEndian32(body.size());
    chunk += body;
    if (body.size() % 2 != 0) {
        chunk += '\0';
    }
    return chunk;
}

// A WAVE file of the tag chunks alone, for TagLib to parse in memory: nothing it reads can be
// more than what was copied out of the file, and the file itself is never opened again.
std::string TagOnlyWave(const WaveTagChunks& chunks) {
    // 16-bit stereo at 44100 Hz: any valid format does, no audio is read.
    static const std::string kFormat(
        "\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00", 16);
    std::string body = "WAVE" + Chunk("fmt ", kFormat) + Chunk("data", {});
    if (!chunks.Id3v2.empty()) {
        body += Chunk("ID3 ", chunks.Id3v2);
    }
    if (!chunks.Info.empty()) {
        body += Chunk("LIST", chunks.Info);
    }
    return "RIFF" + LittleEndian32(body.size()) + body;
}

std::string Cut(const std::string& text, std::size_t width) {
    return std::string(platform::CutUtf8ToCp932Width(text, width));
}

std::string FirstOf(const std::string& id3v2, const std::string& info) {
    return Cut(id3v2.empty() ? info : id3v2, kTagTextWidth);
}

} // namespace

EncodeItem WaveFileTags::Read(platform::File& file) {
    EncodeItem item;
    const WaveTagChunks chunks = WaveTagChunks::Read(file);
    if (chunks.Id3v2.empty() && chunks.Info.empty()) {
        return item;
    }
    PrepareTagLib();
    const std::string wave = TagOnlyWave(chunks);
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(wave.data(), static_cast<unsigned>(wave.size())));
    const TagLib::RIFF::WAV::File tagged(&stream, false);
    if (!tagged.isValid()) {
        return item;
    }
    const TagLib::ID3v2::Tag* id3v2 = tagged.hasID3v2Tag() ? tagged.ID3v2Tag() : nullptr;
    const TagLib::RIFF::Info::Tag* info = tagged.hasInfoTag() ? tagged.InfoTag() : nullptr;
    item.Title = FirstOf(FrameText(id3v2, "TIT2"), InfoText(info, "INAM"));
    item.Artist = FirstOf(FrameText(id3v2, "TPE1"), InfoText(info, "IART"));
    item.Album = FirstOf(FrameText(id3v2, "TALB"), InfoText(info, "IPRD"));
    item.Year = FirstFourDigits(FrameText(id3v2, "TDRC"));
    if (item.Year.empty()) {
        item.Year = FirstFourDigits(InfoText(info, "ICRD"));
    }
    item.Comment = FirstOf(Id3v2Comment(id3v2), InfoText(info, "ICMT"));
    item.Genre = Id3v2Genre(id3v2);
    if (item.Genre == NoGenre) {
        item.Genre = FindGenre(InfoText(info, "IGNR"));
    }
    return item;
}
