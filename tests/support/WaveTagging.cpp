// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WaveTagging.h"

#include "support/WaveWriter.h"

#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <zlib.h>

namespace testsupport {

namespace {

TagLib::PropertyMap Properties(const TagTexts& texts) {
    TagLib::PropertyMap properties;
    for (const auto& [name, text] : texts) {
        properties.insert(name, TagLib::StringList(TagLib::String(text, TagLib::String::UTF8)));
    }
    return properties;
}

} // namespace

bool WriteId3v2Chunk(const std::string& path, const TagTexts& texts, int version) {
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    file.ID3v2Tag()->setProperties(Properties(texts));
    return file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone,
                     version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
}

bool WriteInfoChunk(const std::string& path, const std::map<std::string, std::string>& fields) {
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    if (!file.isValid()) {
        return false;
    }
    for (const auto& [id, text] : fields) {
        file.InfoTag()->setFieldText(id.c_str(), TagLib::String(text, TagLib::String::UTF8));
    }
    return file.save(TagLib::RIFF::WAV::File::Info, TagLib::File::StripNone);
}

std::string Id3v2TagBytes(const TagTexts& texts, int version) {
    TagLib::ID3v2::Tag tag;
    tag.setProperties(Properties(texts));
    const TagLib::ByteVector bytes =
        tag.render(version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
    return std::string(bytes.data(), bytes.size());
}

} // namespace testsupport

namespace testsupport {

namespace {

std::string BigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string SyncSafe32(std::uint32_t value) {
    return {static_cast<char>(value >> 21 & 0x7F), static_cast<char>(value >> 14 & 0x7F),
            static_cast<char>(value >> 7 & 0x7F), static_cast<char>(value & 0x7F)};
}

} // namespace

std::string Id3v2Frame(int version, const std::string& id, const std::string& body,
                       unsigned char formatFlags) {
    const auto size = static_cast<std::uint32_t>(body.size());
    return id + (version == 4 ? SyncSafe32(size) : BigEndian32(size)) + '\0' +
           static_cast<char>(formatFlags) + body;
}

std::string Id3v2Text(const std::string& latin1) {
    return '\0' + latin1;
}

std::string Id3v2Tag(int version, const std::string& frames, unsigned char flags) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           SyncSafe32(static_cast<std::uint32_t>(frames.size())) + frames;
}

// A fully flushed deflate block does not refer back, so one block of zeros stands for every
// further mebibyte; the Adler-32 of n zero bytes is 1 + (n mod 65521) << 16.
std::string CompressedZerosBody(std::uint64_t inflatedBytes) {
    constexpr std::size_t kBlock = 1 << 20;
    const std::string zeros(kBlock, '\0');
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    const auto deflateBlock = [&](int flush) {
        std::string out(deflateBound(&stream, kBlock) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = flush == Z_FINISH ? 0 : kBlock;
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, flush);
        out.resize(out.size() - stream.avail_out);
        return out;
    };
    const std::uint64_t blocks = inflatedBytes / kBlock;
    std::string body =
        BigEndian32(static_cast<std::uint32_t>(inflatedBytes)) + deflateBlock(Z_FULL_FLUSH);
    const std::string repeated = deflateBlock(Z_FULL_FLUSH);
    for (std::uint64_t i = 1; i < blocks; ++i) {
        body += repeated;
    }
    std::string end = deflateBlock(Z_FINISH);
    deflateEnd(&stream);
    end.resize(end.size() - 4);
    const auto adler = static_cast<std::uint32_t>(1 + ((blocks * kBlock) % 65521 << 16));
    return body + end + BigEndian32(adler);
}

std::string InflatingTitleChunk(const std::string& artist) {
    const std::string tag =
        Id3v2Tag(3, Id3v2Frame(3, "TIT2", CompressedZerosBody(std::uint64_t{1} << 30), 0x80) +
                        Id3v2Frame(3, "TPE1", Id3v2Text(artist)));
    return Chunk("id3 ", tag);
}

} // namespace testsupport
