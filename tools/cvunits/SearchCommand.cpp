#include "Command.hpp"
#include "SuggestionEntries.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;

struct Found {
    int order; // units, quantities, prefixes
    std::string kind;
    std::string symbol;
    std::string name;
    nlohmann::ordered_json entry;
};

// Whether the name or a symbol contains the lower-cased word, case aside.
bool mentions(const ustring& lowerWord, std::initializer_list<std::u16string_view> texts) {
    return std::any_of(texts.begin(), texts.end(), [&](std::u16string_view text) {
        return TextServices::toLower(text).find(lowerWord) != ustring::npos;
    });
}

std::vector<Found> search(const ustring& word) {
    const ustring lowerWord = TextServices::toLower(word);
    std::vector<Found> out;
    // Stored entities only: prefixed forms are composed on demand, and the
    // prefixes are listed beside the units.
    UnitDBManager::m_UnitDBManager.iterateAll([&](const UnitDatabase& db) {
        for (const UnitBase& unit : db.getAllUnits()) {
            if (mentions(lowerWord, {unit.getName(), unit.getSymbol(), unit.getAsciiSymbol()})) {
                out.push_back({0, "unit", TextServices::toUtf8(unit.getSymbol()),
                               TextServices::toUtf8(unit.getName()), describeEntry(unit)});
            }
        }
        for (const UnitBase& quantity : db.getAllPhysicalQuantities()) {
            if (mentions(lowerWord, {quantity.getName()})) {
                out.push_back({1, "physical quantity", TextServices::toUtf8(quantity.getName()),
                               TextServices::toUtf8(quantity.getName()), describeEntry(quantity)});
            }
        }
        for (const UnitPrefix& prefix : db.getAllPrefixes()) {
            if (mentions(lowerWord,
                         {prefix.getName(), prefix.getSymbol(), prefix.getAsciiSymbol()})) {
                out.push_back({2,
                               "prefix",
                               TextServices::toUtf8(prefix.getSymbol()),
                               TextServices::toUtf8(prefix.getName()),
                               {{"kind", "prefix"},
                                {"symbol", TextServices::toUtf8(prefix.getSymbol())},
                                {"name", TextServices::toUtf8(prefix.getName())}}});
            }
        }
    });
    std::stable_sort(out.begin(), out.end(),
                     [](const Found& a, const Found& b) { return a.order < b.order; });
    return out;
}

int searchCommand(const CommandContext& ctx) {
    const auto args = readSuggestionArgs(ctx.args, 0, {});
    if (!args || args->text.empty()) {
        return exitUsage;
    }
    std::vector<Found> found = search(TextServices::fromUtf8(args->text));
    const std::size_t total = found.size();
    if (args->limit != 0 && found.size() > args->limit) {
        found.resize(args->limit);
    }
    if (ctx.json) {
        auto entries = nlohmann::ordered_json::array();
        for (const Found& f : found) {
            entries.push_back(f.entry);
        }
        ctx.out << nlohmann::ordered_json{{"word", args->text},
                                          {"total", total},
                                          {"found", entries}}
                       .dump(2)
                << '\n';
        return exitSuccess;
    }
    for (const Found& f : found) {
        ctx.out << f.symbol << '\t' << (f.name == f.symbol ? "" : f.name) << "\t(" << f.kind
                << ")\n";
    }
    if (found.size() < total) {
        ctx.out << "... and " << total - found.size() << " more (--limit 0 shows all)\n";
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"search",
     "WORD [--limit N]",
     "every unit, physical quantity and prefix whose name or symbol contains WORD,\n"
     "case aside: what to do before knowing a symbol. Units, then quantities, then\n"
     "prefixes, each database in turn (built-in first). Prefixed forms such as km\n"
     "are not listed; the prefixes are.",
     {"cvunits search pound", "cvunits search TEMPERATURE", "cvunits --json search mile"},
     searchCommand}};

} // namespace
} // namespace cvunits
