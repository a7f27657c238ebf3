// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"

#include "Format.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace platform {

std::size_t Utf8CharLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i) {
        return i < text.size() && (byte(i) & 0xC0) == 0x80;
    };
    if (text.empty()) {
        return 0;
    }
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2)) {
            return 0;
        }
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F)) {
            return 0; // overlong or surrogate
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3)) {
            return 0;
        }
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) {
            return 0; // overlong or above U+10FFFF
        }
        return 4;
    }
    return 0;
}

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-8");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one piece whole; false when iconv refuses it.
    bool Append(std::string_view piece, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[64];
        auto* in = const_cast<char*>(piece.data());
        std::size_t inLeft = piece.size();
        const std::size_t mark = out.size();
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                out.resize(mark);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

} // namespace

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = Utf8CharLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string RepairUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t length = Utf8CharLength(utf8);
        if (length == 0) {
            out.push_back('?');
        } else {
            out.append(utf8.substr(0, length));
        }
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsCp932TrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

std::string Utf8ToCp932(std::string_view utf8) {
    Converter converter("CP932", "UTF-8");
    // Malformed bytes are mended as for every other tag text; what remains is well-formed.
    const std::string repaired = RepairUtf8(utf8);
    std::string_view rest = repaired;
    std::string out;
    out.reserve(rest.size());
    // Character by character, so that one the code page lacks costs only itself.
    while (!rest.empty()) {
        const std::size_t length = Utf8CharLength(rest);
        if (length == 1) {
            out.push_back(rest[0]);
        } else if (!converter.Append(rest.substr(0, length), out)) {
            out.push_back('?');
        }
        rest.remove_prefix(length);
    }
    return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
    Converter converter("UTF-8", "CP932");
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    while (!cp932.empty()) {
        const auto lead = static_cast<unsigned char>(cp932[0]);
        // A lead byte without a valid trail byte stands alone, so the byte after it (often
        // plain ASCII) is still read as itself.
        const std::size_t length = IsCp932LeadByte(lead) && cp932.size() >= 2 &&
                                           IsCp932TrailByte(static_cast<unsigned char>(cp932[1]))
                                       ? 2
                                       : 1;
        if (lead < 0x80) {
            out.push_back(cp932[0]);
        } else if (!converter.Append(cp932.substr(0, length), out)) {
            out.push_back('?');
        }
        cp932.remove_prefix(length);
    }
    return out;
}

std::string_view CutUtf8(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return utf8;
    }
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that crosses the limit.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
        --end;
    }
    return utf8.substr(0, end);
}

std::string_view CutUtf8ToCp932Width(std::string_view utf8, std::size_t maxBytes) {
    const std::string cp932 = Utf8ToCp932(utf8);
    // Both texts hold the same characters in the same order; walk them side by side.
    std::size_t utf8End = 0;
    std::size_t cp932End = 0;
    while (utf8End < utf8.size() && cp932End < cp932.size()) {
        const std::size_t utf8Length =
            std::max<std::size_t>(Utf8CharLength(utf8.substr(utf8End)), 1);
        const std::size_t cp932Length =
            IsCp932LeadByte(static_cast<unsigned char>(cp932[cp932End])) ? 2 : 1;
        if (cp932End + cp932Length > maxBytes) {
            break;
        }
        utf8End += utf8Length;
        cp932End += cp932Length;
    }
    return utf8.substr(0, utf8End);
}

std::string_view CutCp932(std::string_view cp932, std::size_t maxBytes) {
    if (cp932.size() <= maxBytes) {
        return cp932;
    }
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t length = IsCp932LeadByte(static_cast<unsigned char>(cp932[end])) ? 2 : 1;
        if (end + length > maxBytes) {
            break;
        }
        end += length;
    }
    return cp932.substr(0, end);
}

namespace {

// The code point of a valid UTF-8 character of length bytes.
char32_t CodePoint(std::string_view character) {
    const auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(character[i]));
    };
    switch (character.size()) {
    case 1:
        return byte(0);
    case 2:
        return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3:
        return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
        return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
               (byte(3) & 0x3F);
    }
}

// Characters that reorder what follows them: shown raw, "f\u202Evaw.exe" reads "fexe.wav".
bool IsBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace

std::string EscapeControls(std::string_view text, bool keepLayout) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const auto lead = static_cast<unsigned char>(text.front());
        const std::size_t length = Utf8CharLength(text);
        if (length == 0) {
            shown += Format("\\x%02X", lead);
            text.remove_prefix(1);
            continue;
        }
        if ((lead < 0x20 || lead == 0x7F) && !(keepLayout && (lead == '\n' || lead == '\t'))) {
            shown += Format("\\x%02X", lead);
        } else if (const char32_t c = CodePoint(text.substr(0, length));
                   (c >= 0x80 && c < 0xA0) || IsBidiControl(c)) {
            shown += Format("\\u%04X", static_cast<unsigned>(c));
        } else {
            shown.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return shown;
}

} // namespace platform
