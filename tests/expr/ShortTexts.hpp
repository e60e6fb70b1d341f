#pragma once

#include "units/foundation/UString.hpp"

#include <cstddef>
#include <string_view>

namespace expr_test {

// Calls `visit` with every text of at most `length` characters of `alphabet`,
// the empty one included: small alphabets reach every short arrangement of
// the characters a reader treats differently.
template <typename Visit>
void forEachShortText(std::u16string_view alphabet, std::size_t length, Visit&& visit) {
    ustring text;
    const auto extend = [&](auto& self, std::size_t left) -> void {
        visit(static_cast<const ustring&>(text));
        if (left == 0) {
            return;
        }
        for (const char16_t c : alphabet) {
            text.push_back(c);
            self(self, left - 1);
            text.pop_back();
        }
    };
    extend(extend, length);
}

} // namespace expr_test
