#include "FileRow.h"

#include "audio/WaveReader.h"
#include "platform/Format.h"
#include "platform/Paths.h"

bool TakeWaveFile(const std::string& path, FileRow& row) {
    const std::size_t dot = platform::LastDot(path);
    if (dot == std::string::npos || path.compare(dot + 1, std::string::npos, "wav") != 0) {
        return false;
    }
    WaveFormat format{};
    if (!ProbeWave(path, format)) {
        return false;
    }
    row[kColumnFolder] = platform::FolderOf(path);
    row[kColumnName] = platform::NameOf(path);
    row[kColumnFormat] = platform::Format("16bit Stereo %uHz", format.samplesPerSec);
    return true;
}
