#include "units/query/AutoCompleteImpl.hpp"

#include "units/platform/TextServices.hpp"

#include <vector>

namespace CvUnitSys {

namespace {

// Typed text may hold unpaired surrogates; they become U+FFFD instead of failing.
std::u32string codePoints(const ustring& text) {
    return TextServices::toUtf32(TextServices::fromUtf8(TextServices::toUtf8(text)));
}

} // namespace

AutoCompleteImpl::AutoCompleteImpl(bool prefixMode) : names_(prefixMode), symbols_(prefixMode) {}

void AutoCompleteImpl::addName(const ustring& name) {
    names_.insert(codePoints(name));
}

void AutoCompleteImpl::addSymbol(const ustring& symbol) {
    symbols_.insert(codePoints(symbol));
}

std::set<ustring> AutoCompleteImpl::getAutoCompleteList(const ustring& text, bool foldCase) const {
    const std::u32string t = codePoints(text);
    std::vector<std::u32string> words;
    names_.appendCompletions(t, words, foldCase);
    symbols_.appendCompletions(t, words, foldCase);
    std::set<ustring> out;
    for (const auto& w : words) {
        out.insert(TextServices::fromUtf32(w));
    }
    return out;
}

void AutoCompleteImpl::appendApproximateSuggestions(const ustring& text,
                                                    std::map<ustring, std::int32_t>& distances,
                                                    std::int32_t maxDistance) const {
    const std::u32string t = codePoints(text);
    std::map<std::u32string, std::int32_t> found;
    names_.appendApproximate(t, found, maxDistance);
    symbols_.appendApproximate(t, found, maxDistance);
    for (const auto& [word, distance] : found) {
        distances[TextServices::fromUtf32(word)] = distance;
    }
}

} // namespace CvUnitSys
