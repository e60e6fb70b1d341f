#include "units/platform/RegexReplacement.hpp"

#include <regex>
#include <stdexcept>
#include <string>

namespace CvUnitSys {

namespace {

// One wide character per UTF-16 code unit, surrogates included, so that any
// text, even one with an unpaired surrogate, goes through unchanged.
std::wstring widen(const ustring& text) {
    return std::wstring(text.begin(), text.end());
}

// Back again: every character came from one code unit.
ustring narrow(const std::wstring& text) {
    return ustring(text.begin(), text.end());
}

} // namespace

struct RegexReplacement::Compiled {
    std::wregex pattern;
};

RegexReplacement::RegexReplacement(const ustring& pattern, const ustring& replacement)
    : replacement_(replacement) {
    try {
        compiled_ = std::make_unique<Compiled>(Compiled{std::wregex(widen(pattern))});
    } catch (const std::regex_error&) {
        throw std::invalid_argument("invalid regular expression");
    }
}

RegexReplacement::~RegexReplacement() = default;

ustring RegexReplacement::replaceAll(const ustring& text) const {
    return narrow(std::regex_replace(widen(text), compiled_->pattern, widen(replacement_)));
}

} // namespace CvUnitSys
