// SPDX-License-Identifier: GPL-3.0-or-later
#include "CID3v2Tag.h"

#include "platform/CodePage.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

TagLib::String Unicode(const std::string& utf8) {
    // TagLib drops a whole text it cannot decode; a stray byte should cost only itself.
    return TagLib::String(platform::RepairUtf8(utf8), TagLib::String::UTF8);
}

void AddText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
    if (text.empty()) {
        return;
    }
    auto frame =
        std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(id, TagLib::String::UTF16);
    frame->setText(Unicode(text));
    tag.addFrame(frame.release());
}

bool IsFourDigitYear(const std::string& year) {
    return year.size() == 4 &&
           std::all_of(year.begin(), year.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string CID3v2Tag::Render(const EncodeItem& item) {
    return Render(item, {}, 0, false);
}

std::string CID3v2Tag::Render(const EncodeItem& item, const UserTexts& extra, std::size_t size) {
    return Render(item, extra, size, true);
}

std::string CID3v2Tag::Render(const EncodeItem& item, const UserTexts& extra, std::size_t size,
                              bool evenEmpty) {
    // TagLib promises nothing about building tags on several threads at once, and jobs running
    // side by side each render one: one at a time, which costs nothing beside the encoding.
    static std::mutex renderMutex;
    const std::lock_guard lock(renderMutex);
    TagLib::ID3v2::Tag tag;
    AddText(tag, "TIT2", item.Title);
    AddText(tag, "TPE1", item.Artist);
    AddText(tag, "TALB", item.Album);
    // ID3v2.3 defines TYER as exactly four digits; anything else is left to the ID3v1 record.
    if (IsFourDigitYear(item.Year)) {
        AddText(tag, "TYER", item.Year);
    }
    if (!item.Comment.empty()) {
        auto comment = std::make_unique<TagLib::ID3v2::CommentsFrame>(TagLib::String::UTF16);
        comment->setLanguage("jpn");
        comment->setText(Unicode(item.Comment));
        tag.addFrame(comment.release());
    }
    // A bare number is what TagLib turns into ID3v2.3's "(n)" (in ISO-8859-1, all it needs), so
    // each reader names the genre from its own list.
    if (item.Genre != NoGenre) {
        AddText(tag, "TCON", std::to_string(item.Genre));
    }
    for (const auto& [description, value] : extra) {
        auto frame = std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(
            TagLib::String(description), TagLib::StringList(TagLib::String(value)),
            TagLib::String::Latin1);
        tag.addFrame(frame.release());
    }
    if (tag.isEmpty() && !evenEmpty) {
        return {};
    }
    const std::size_t headerSize = TagLib::ID3v2::Header::size();
    if (size != 0 && size <= headerSize) {
        return {};
    }
    if (size != 0) {
        // TagLib pads up to the size the tag had, as for a tag read from a file.
        tag.header()->setTagSize(static_cast<unsigned>(size - headerSize));
    }
    const TagLib::ByteVector bytes = tag.render(TagLib::ID3v2::v3);
    if (size != 0 && bytes.size() != size) {
        return {};
    }
    return std::string(bytes.data(), bytes.size());
}
