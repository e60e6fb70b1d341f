#pragma once

namespace CvUnitSys {

// The notations an expression can be rewritten in. Callers holding an integer
// may cast any value: one outside the list gives an empty text.
enum class ConversionFormatType : int { Display = 0, Name = 1, Symbol = 2, Ascii = 3 };

} // namespace CvUnitSys
