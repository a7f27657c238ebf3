// SPDX-License-Identifier: GPL-3.0-or-later
#include "Id3v2Reader.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

Id3v2Read ReadId3v2(const std::string& fileBytes) {
    Id3v2Read read;
    TagLib::ByteVectorStream stream(
        TagLib::ByteVector(fileBytes.data(), static_cast<unsigned>(fileBytes.size())));
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid() || !file.hasID3v2Tag()) {
        return read;
    }
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    read.present = true;
    read.version = tag->header()->majorVersion();
    read.bytes = tag->header()->completeTagSize();
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const std::string id(frame->frameID().data(), frame->frameID().size());
        read.texts[id] = frame->toString().to8Bit(true);
        if (const auto* user =
                dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            const TagLib::StringList values = user->fieldList();
            read.userTexts[user->description().to8Bit(true)] =
                values.size() > 1 ? values[1].to8Bit(true) : std::string();
        }
        if (const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame)) {
            read.commentLanguage =
                std::string(comment->language().data(), comment->language().size());
            read.commentDescription = comment->description().to8Bit(true);
        }
    }
    return read;
}

std::uint64_t LeadingId3v2Bytes(const std::string& fileBytes) {
    const Id3v2Read read = ReadId3v2(fileBytes);
    return read.present ? read.bytes : 0;
}
