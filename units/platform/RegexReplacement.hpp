#pragma once

#include "units/foundation/UString.hpp"

#include <memory>

namespace CvUnitSys {

// The host's regular-expression replacement (ECMAScript syntax, matched on
// UTF-16 code units): the pattern is compiled once and may then be applied
// from any thread.
class RegexReplacement {
public:
    // An invalid pattern throws std::invalid_argument.
    RegexReplacement(const ustring& pattern, const ustring& replacement);
    ~RegexReplacement();
    RegexReplacement(const RegexReplacement&) = delete;
    RegexReplacement& operator=(const RegexReplacement&) = delete;

    // Every match replaced.
    ustring replaceAll(const ustring& text) const;

private:
    struct Compiled;

    std::unique_ptr<Compiled> compiled_;
    ustring replacement_;
};

} // namespace CvUnitSys
