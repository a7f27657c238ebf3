// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/WaveTagging.h"

#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

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
