#pragma once

#include <cstdint>
#include <string>

/// The general options ([OutFolder]).
struct OutFolderParm {
    std::string OutFolder;            ///< folder that receives the outputs (UTF-8)
    std::int32_t Preset = 0;          ///< 0 = LameParm; k >= 1 = the k-th preset
    std::int32_t IdentityOutFile = 0; ///< 1 = ask before replacing an existing output
    std::int32_t EncodeType = 0;      ///< 0 MP3, 1 Ogg Vorbis
};

inline constexpr std::int32_t kEncodeTypeMp3 = 0;
inline constexpr std::int32_t kEncodeTypeOgg = 1;
