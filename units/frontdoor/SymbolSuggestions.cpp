#include "units/frontdoor/SymbolSuggestions.hpp"

#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace cv_units {

namespace {

using CvUnitSys::TextServices;

// Edits that turn one text into the other, a swap of neighbours counting as one.
std::size_t editDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + substitution});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// Short symbols tolerate one edit, longer names a few more.
std::size_t tolerance(std::size_t length) {
    return length <= 3 ? 1 : length <= 7 ? 2 : 3;
}

} // namespace

SymbolSuggestions::SymbolSuggestions(const CvUnitSys::UnitDBSet& set) {
    std::set<std::u32string> unique;
    for (const CvUnitSys::UnitBase& unit : set.getAllUnits()) {
        for (const ustring* text : {&unit.getSymbol(), &unit.getAsciiSymbol(), &unit.getName()}) {
            if (!text->empty()) {
                unique.insert(TextServices::toUtf32(*text));
            }
        }
    }
    texts_.assign(unique.begin(), unique.end());
}

std::vector<std::string> SymbolSuggestions::closest(const ustring& symbol,
                                                    std::size_t limit) const {
    std::u32string wanted;
    try {
        wanted = TextServices::toUtf32(symbol);
    } catch (const std::out_of_range&) {
        return {};
    }
    const std::size_t allowed = tolerance(wanted.size());
    std::vector<std::pair<std::size_t, const std::u32string*>> found;
    for (const std::u32string& text : texts_) {
        const std::size_t lengthGap =
            text.size() > wanted.size() ? text.size() - wanted.size() : wanted.size() - text.size();
        if (lengthGap > allowed) {
            continue;
        }
        if (const std::size_t distance = editDistance(wanted, text); distance <= allowed) {
            found.emplace_back(distance, &text);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::tie(a.first, *a.second) < std::tie(b.first, *b.second);
    });
    std::vector<std::string> out;
    for (std::size_t i = 0; i < found.size() && out.size() < limit; ++i) {
        out.push_back(TextServices::toUtf8(TextServices::fromUtf32(*found[i].second)));
    }
    return out;
}

} // namespace cv_units
