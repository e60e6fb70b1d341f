#include "units/platform/RegexReplacement.hpp"

#include <stdexcept>
#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace CvUnitSys {

namespace {

icu::UnicodeString toIcu(const ustring& text) {
    return icu::UnicodeString(text.data(), static_cast<std::int32_t>(text.size()));
}

} // namespace

struct RegexReplacement::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
};

RegexReplacement::RegexReplacement(const ustring& pattern, const ustring& replacement)
    : compiled_(std::make_unique<Compiled>()), replacement_(replacement) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError where;
    compiled_->pattern.reset(icu::RegexPattern::compile(toIcu(pattern), 0, where, status));
    if (U_FAILURE(status)) {
        throw std::invalid_argument("invalid regular expression");
    }
}

RegexReplacement::~RegexReplacement() = default;

ustring RegexReplacement::replaceAll(const ustring& text) const {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = toIcu(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled_->pattern->matcher(input, status));
    const icu::UnicodeString result = matcher->replaceAll(toIcu(replacement_), status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("regular-expression replacement failed");
    }
    return ustring(result.getBuffer(), static_cast<std::size_t>(result.length()));
}

} // namespace CvUnitSys
