// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// Text in memory is UTF-8; code page 932 (Japanese Shift-JIS) is what ID3v1 fields and
/// settings files written by the Windows program hold.
namespace platform {

/// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view text);

/// The length of the well-formed UTF-8 character at the start of text, 0 when malformed.
std::size_t Utf8CharLength(std::string_view text);

/// The text with each malformed byte replaced by '?': the one repair of every tag text, whatever
/// the format it goes into (Utf8ToCp932 applies it too); well-formed text comes back unchanged.
std::string RepairUtf8(std::string_view utf8);

/// UTF-8 to code page 932; a character the code page lacks, and a malformed byte, become '?'.
std::string Utf8ToCp932(std::string_view utf8);

/// Code page 932 to UTF-8; a character code page 932 does not define becomes '?', and so does
/// a lead byte without a valid second byte (the byte after it is read on its own).
std::string Cp932ToUtf8(std::string_view cp932);

/// text with its control characters (C0, DEL, C1, and the bidirectional controls that reorder
/// what is shown: U+061C, U+200E/F, U+202A–E, U+2066–9) and the bytes that are not valid
/// UTF-8 in a visible form: "\x1B", "\u009B", "\u202E", "\xFF". Line breaks and tabs stay when keepLayout. How both
/// front ends show a name: whatever its bytes, it is shown whole and cannot drive a terminal.
std::string EscapeControls(std::string_view text, bool keepLayout);
/// The longest prefix of at most maxBytes bytes that ends on a UTF-8 character boundary.
std::string_view CutUtf8(std::string_view utf8, std::size_t maxBytes);

/// The longest prefix of at most maxBytes bytes that does not split a double-byte character.
std::string_view CutCp932(std::string_view cp932, std::size_t maxBytes);

/// The longest prefix of UTF-8 text whose code page 932 form fits in maxBytes, cut between
/// characters: how the tag editors limit what is typed to an ID3v1 field's width.
std::string_view CutUtf8ToCp932Width(std::string_view utf8, std::size_t maxBytes);

/// True for a code page 932 lead byte (the first byte of a double-byte character).
bool IsCp932LeadByte(unsigned char byte);

/// True for a byte that can follow a lead byte as the second byte of a double-byte character.
bool IsCp932TrailByte(unsigned char byte);

} // namespace platform
