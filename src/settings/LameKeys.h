// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lame_enc/BladeMP3EncDLL.h"
#include "settings/IniValues.h"

#include <string>
#include <string_view>

/// The 19 MP3 keys shared by opt.ini's [LAME Parm] section and every preset.ini entry
/// (SampleRate= … NoRes=). ConfigKind, StructVersion, StructSize and the fields after NoRes
/// are never stored.

/// Stores the value of one line into config when the line, trimmed, begins with one of the
/// keys including its '='. Integers are clamped to 32 bits; VbrMethod takes only -1 … 4 and
/// keeps its value otherwise. Any other line leaves config unchanged. True when the line held
/// one of the keys, whether its value was taken or not.
bool ReadLameKeys(std::string_view line, BE_CONFIG& config);
/// The same for a line already trimmed and split.
bool ReadLameKeys(const IniKeyValue& line, BE_CONFIG& config);

/// Appends the 19 key lines of config in file order, each "\t<key>=<signed decimal>" and
/// CR LF.
void WriteLameKeys(std::string& out, const BE_CONFIG& config);
