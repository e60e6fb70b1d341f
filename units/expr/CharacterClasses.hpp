#pragma once

#include <string_view>

namespace CvUnitSys {

// The two character classes of the host's scan that name checks rely on.
//
// Class 11 (characters of unit, quantity and database names): every assigned
// code point whose general category is a letter (L*), a mark (M*), a number
// (N*), punctuation (P*) or a symbol (S*). Excluded are separators (Z*, so
// every kind of blank), controls (Cc), format characters (Cf: bidirectional
// overrides, zero-width joiners, byte-order marks), surrogates (Cs, so an
// unpaired UTF-16 surrogate always fails), private use (Co) and unassigned
// code points (Cn). The operator characters of the grammar are punctuation or
// symbols and are rejected by the name checks themselves.
bool isUnitNameCharacter(char32_t c);

// Class 256 (characters of unit-system names): class 11 plus the space
// separators (Zs), since a system may be named in several words.
bool isPrintableCharacter(char32_t c);

// True when every code point of `text` belongs to the class; UTF-16 is decoded
// first and an unpaired surrogate stops the scan.
bool scanWholeText(std::u16string_view text, bool (*inClass)(char32_t));

} // namespace CvUnitSys
