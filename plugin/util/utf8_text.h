// UTF-8 text as the plug-in stores it in records and paths: display width, repair of a cut or
// malformed tail, and the plug-in's own UTF-16 to UTF-8 encoder.
//
// The walk shared by the width and the repair accepts ASCII bytes and 2- and 3-byte sequences
// (a lead byte followed by the right number of continuation bytes 10xxxxxx). It stops at the
// first malformed sequence: a continuation byte where a lead byte is expected, a lead byte of a
// 4-byte sequence (or any byte from 0xF0 up), or a missing continuation byte. A NUL byte or the
// end of the view ends the text. Text is only ever cut at the start of a character.
//
// The encoder works on single UTF-16 units, as the records expect: each unit of the Basic
// Multilingual Plane becomes 1, 2 or 3 bytes, and a surrogate unit is written as its own 3-byte
// form (no pairing), so the result never holds a 4-byte sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vurk {

// Length in bytes of the well-formed beginning of the text (up to the first NUL, the end of
// the view or the first malformed sequence).
std::size_t Utf8WellFormedLength(std::string_view text);

// Display width: 1 per ASCII character, 2 per multi-byte character, up to the first NUL, the
// end or the first malformed sequence.
std::size_t Utf8DisplayWidth(std::string_view text);

// Repairs a zero-terminated text held in a buffer of `size` bytes: cuts it (writes a zero) at
// the first malformed sequence and returns the remaining length in bytes. A text that fills
// the whole buffer without a terminator is cut at the last character boundary that leaves room
// for one, so the buffer always ends up terminated. A size of 0 touches nothing and gives 0.
std::size_t Utf8Repair(char* text, std::size_t size);
// The same for a string: it is shortened to its well-formed beginning.
std::size_t Utf8Repair(std::string& text);

// Encodes the UTF-16 text (up to its first NUL) into buffer of `size` bytes. Stops before a
// character that would not fit together with the terminating zero and always terminates.
// Returns the bytes written, without the terminator. A size of 0 writes nothing.
std::size_t ToUtf8(std::u16string_view text, char* buffer, std::size_t size);

// ToUtf8, then, when the result is longer than `maximum - 1` bytes, cuts it to that length and
// drops a character that the cut broke. A maximum of 0 leaves the empty text.
std::size_t ToUtf8Cut(std::u16string_view text, char* buffer, std::size_t size, std::size_t maximum);

// Whole-string form of the encoder (no size limit).
std::string ToUtf8(std::u16string_view text);

}  // namespace vurk
