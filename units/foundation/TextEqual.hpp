#pragma once

#include <cstring>
#include <string_view>

namespace CvUnitSys {

// Texts compared to find a match are most often equal, and so compared to the
// end: memcmp beats the character loop of char_traits<char16_t>.
inline bool sameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

struct TextEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const { return sameText(a, b); }
};

} // namespace CvUnitSys
