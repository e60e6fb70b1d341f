#pragma once

// Turning a fuzzer's bytes into the texts the library takes.

#include "units/foundation/UString.hpp"
#include "units/platform/TextServices.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace cv_units_fuzz {

// Bytes read as UTF-16 code units, little-endian; an odd last byte is dropped.
// Every code unit is reachable, unpaired surrogates included.
inline ustring rawUtf16(const std::uint8_t* data, std::size_t size) {
    ustring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    return text;
}

// Bytes read as UTF-8, the way the tool reads its arguments: what a person types.
inline ustring fromUtf8(const std::uint8_t* data, std::size_t size) {
    return CvUnitSys::TextServices::fromUtf8(
        std::string_view(reinterpret_cast<const char*>(data), size));
}

// The first byte chooses how the rest is read: odd as UTF-16, even as UTF-8.
inline ustring text(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    return data[0] % 2 == 1 ? rawUtf16(data + 1, size - 1) : fromUtf8(data + 1, size - 1);
}

// Texts separated by a tab: the shape of the tool's batch lines.
inline std::vector<ustring> splitAtTabs(const ustring& all, std::size_t most) {
    std::vector<ustring> out(1);
    for (char16_t c : all) {
        if (c == u'\t' && out.size() < most) {
            out.emplace_back();
        } else {
            out.back().push_back(c);
        }
    }
    return out;
}

} // namespace cv_units_fuzz
