#include "UnitCompletion.hpp"

#include "units/model/Unit.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>

namespace cvunits {

namespace {

using namespace CvUnitSys;

// A screenful: more would scroll the line being typed out of sight.
constexpr std::size_t shownChoices = 30;

bool startsWithIgnoringCase(std::u16string_view text, std::u16string_view start) {
    return text.size() >= start.size() &&
           TextServices::compareIgnoreCase(text.substr(0, start.size()), start) == 0;
}

// The form of the entity that continues what was typed: "degF" stays ASCII,
// "furl" becomes "furlong"; a match found otherwise gives the symbol.
std::string textToType(const UnitBase& entity, const ustring& word) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return TextServices::toUtf8(entity.getName());
    }
    for (const std::u16string_view text :
         {entity.getSymbol(), entity.getAsciiSymbol(), entity.getName()}) {
        if (!text.empty() && startsWithIgnoringCase(text, word)) {
            return TextServices::toUtf8(text);
        }
    }
    return TextServices::toUtf8(entity.getSymbol());
}

std::string description(const UnitBase& entity) {
    std::string out = TextServices::toUtf8(entity.getName());
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return out + " (physical quantity)";
    }
    if (entity.isPrefixOnly()) {
        return out + " (prefix)";
    }
    const UnitBase* quantity = static_cast<const Unit&>(entity).getPhysicalQuantity();
    if (quantity != nullptr && !quantity->getName().empty()) {
        out += " (" + TextServices::toUtf8(quantity->getName()) + ")";
    }
    return out;
}

// The longest start all texts share, cut back to a whole UTF-8 character.
std::string sharedStart(const std::vector<std::string>& texts) {
    std::string shared = texts.front();
    for (const std::string& text : texts) {
        const auto [end, ignored] =
            std::mismatch(shared.begin(), shared.end(), text.begin(), text.end());
        shared.erase(end, shared.end());
    }
    while (!shared.empty() && (static_cast<unsigned char>(shared.back()) & 0xC0) == 0x80) {
        shared.pop_back();
    }
    if (!shared.empty() && static_cast<unsigned char>(shared.back()) >= 0xC0) {
        shared.pop_back();
    }
    return shared;
}

} // namespace

Completion completeUnitWord(const UnitDBSet& set, std::string_view beforeCursor) {
    const std::size_t space = beforeCursor.find_last_of(" \t");
    const std::string_view unitText =
        space == std::string_view::npos ? beforeCursor : beforeCursor.substr(space + 1);
    const AutoCompletionResult result =
        set.getAutoCompleteSuggestions(TextServices::fromUtf8(unitText));
    const std::string kept = TextServices::toUtf8(result.text);
    if (result.units.empty() || !unitText.starts_with(kept)) {
        return {};
    }
    const std::string_view word = unitText.substr(kept.size());
    const ustring wordText = TextServices::fromUtf8(word);

    std::vector<std::string> texts;
    std::vector<const UnitBase*> entities;
    for (const UnitBase& entity : result.units) {
        std::string text = textToType(entity, wordText);
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
            texts.push_back(std::move(text));
            entities.push_back(&entity);
        }
    }
    if (texts.size() == 1) {
        return {word.size(), texts.front(), {}};
    }
    const std::string shared = sharedStart(texts);
    if (shared.size() > word.size()) {
        return {word.size(), shared, {}};
    }

    Completion out;
    const std::size_t shown = std::min(texts.size(), shownChoices);
    std::vector<std::size_t> widths;
    for (std::size_t i = 0; i < shown; ++i) {
        widths.push_back(TextServices::fromUtf8(texts[i]).size());
    }
    const std::size_t width = *std::max_element(widths.begin(), widths.end());
    for (std::size_t i = 0; i < shown; ++i) {
        out.choices.push_back(texts[i] + std::string(width - widths[i] + 2, ' ') +
                              description(*entities[i]));
    }
    if (shown < texts.size()) {
        out.choices.push_back("... and " + std::to_string(texts.size() - shown) + " more");
    }
    return out;
}

} // namespace cvunits
