// SPDX-License-Identifier: GPL-3.0-or-later
#include "CID3TagFile.h"

#include "platform/CodePage.h"
#include "platform/File.h"

#include <cstring>

namespace {

void PutField(unsigned char* field, std::size_t width, std::string_view utf8) {
    const std::string cp932 = platform::Utf8ToCp932(utf8);
    const std::string_view text = platform::CutCp932(cp932, width);
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), text.size());
}

} // namespace

unsigned char* CID3TagFile::MakeRecord(unsigned char* record, std::string_view title,
                                       std::string_view artist, std::string_view album,
                                       std::string_view year, std::string_view comment,
                                       std::uint8_t genre) const {
    std::memcpy(record, "TAG", 3);
    PutField(record + 3, 30, title);
    PutField(record + 33, 30, artist);
    PutField(record + 63, 30, album);
    PutField(record + 93, 4, year);
    PutField(record + 97, 30, comment);
    record[127] = genre;
    return record;
}

bool CID3TagFile::HasTag(const std::string& path, unsigned char* buffer) const {
    platform::File file;
    if (!file.OpenRead(path)) {
        return false;
    }
    std::memset(buffer, 0, kRecordSize);
    if (file.Length() < static_cast<std::int64_t>(kRecordSize) ||
        !file.Seek(-static_cast<std::int64_t>(kRecordSize), platform::File::Whence::End)) {
        return false;
    }
    return file.Read(buffer, kRecordSize) == kRecordSize && std::memcmp(buffer, "TAG", 3) == 0;
}

bool CID3TagFile::WriteRecord(const std::string& path, const unsigned char* record) const {
    unsigned char work[kRecordSize];
    const bool tagged = HasTag(path, work);
    platform::File file;
    if (!file.OpenWriteExisting(path)) {
        return false;
    }
    const std::int64_t back = tagged ? -static_cast<std::int64_t>(kRecordSize) : 0;
    return file.Seek(back, platform::File::Whence::End) && file.Write(record, kRecordSize);
}
