#include "FriendlyInput.hpp"

#include "TypedTokens.hpp"
#include "units/cv_units.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/frontdoor/SymbolSuggestions.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <array>
#include <cmath>
#include <optional>
#include <ostream>
#include <unordered_map>
#include <vector>

namespace cvunits {

namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;
using cv_units::UnitError;
using CvUnitSys::TextServices;
using CvUnitSys::UnitTable;

const char* const ambiguousId = "cvunits:AmbiguousInput";
const char* const nonFiniteId = "cvunits:NonFiniteExponent";
constexpr std::size_t maxTypedLength = 1000;

// 1-based column of byte `at`, counted in code points as the library counts.
std::size_t columnOf(std::string_view text, std::size_t at) {
    std::size_t column = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return column;
}

// A text the loose reading cannot make sense of either: the library's own
// diagnostic for the typed text is the answer.
struct NotReadable {};

[[noreturn]] void refuse(const char* id, std::string_view typed, std::size_t at,
                         const std::string& reason) {
    const std::size_t column = columnOf(typed, at);
    const std::string message =
        "'" + std::string(typed) + "' at column " + std::to_string(column) + ": " + reason;
    throw UnitError(id, message, message, column);
}

// Refuses an exponent that is not finite: the grammar reads 1/0 and 1e999
// without complaint, and a unit raised to them means nothing.
void checkExponents(std::string_view typed, const std::vector<Token>& list) {
    for (const Token& token : list) {
        if (token.kind == Kind::Power && !std::isfinite(exponentValue(token.text))) {
            refuse(nonFiniteId, typed, token.at,
                   "the exponent '" + token.text + "' is not a finite number");
        }
    }
}

// The table that texts are registered in: the one the conversions use.
UnitTable& table() {
    return cv_units::defaultUnits().table();
}

// Whether the text parses and every symbol in it is known; throws the
// library's diagnostic when it does not parse.
bool resolves(std::string_view text) {
    cv_units::checkText(text);
    try {
        UnitTable& t = table();
        const std::int32_t id = t.registerUnit(TextServices::fromUtf8(text), true, false);
        return t.isUnitIdValid(id) && !t.isUnitUnresolved(id);
    } catch (const CvUnitSys::IUserException& e) {
        throw cv_units::toUnitError(e);
    }
}

bool parsesAndResolves(std::string_view text) {
    // Without making the library's diagnostic into a message: most loose
    // texts fail here, and only the answer matters.
    try {
        UnitTable& t = table();
        const std::int32_t id = t.registerUnit(TextServices::fromUtf8(text), true, false);
        return t.isUnitIdValid(id) && !t.isUnitUnresolved(id);
    } catch (const CvUnitSys::IUserException&) {
        return false;
    }
}

} // namespace

std::optional<std::string> quantityHint(std::string_view word) {
    // Words people use for a quantity that the databases name otherwise.
    static const std::array<std::pair<std::string_view, std::string_view>, 4> everyday{
        {{"speed", "velocity"},
         {"distance", "length"},
         {"weight", "mass"},
         {"temperature", "thermodynamic_temperature"}}};
    std::string name(word);
    for (const auto& [common, quantity] : everyday) {
        if (word == common) {
            name = quantity;
        }
    }
    const ustring key = TextServices::fromUtf8(name);
    std::vector<std::string> units;
    bool known = false;
    CvUnitSys::UnitDBManager::m_UnitDBManager.iterateAll([&](const CvUnitSys::UnitDatabase& db) {
        if (db.getPhysicalQuantity(key).empty()) {
            return;
        }
        known = true;
        for (const ustring& symbol : db.getUnitFromPhysicalQuantity(key)) {
            if (units.size() < 6) {
                units.push_back(TextServices::toUtf8(symbol));
            }
        }
    });
    if (!known) {
        return std::nullopt;
    }
    std::string out = "'" + std::string(word) + "' is a physical quantity";
    out += name != word ? " (" + name + "), not a unit" : ", not a unit";
    for (std::size_t i = 0; i < units.size(); ++i) {
        out += (i == 0 ? "; its units include " : ", ") + units[i];
    }
    return out;
}

namespace {

// The library's complaint about a text that parses but does not resolve.
UnitError unresolvedError(std::string_view text) {
    UnitTable& t = table();
    const std::int32_t id = t.registerUnit(TextServices::fromUtf8(text), true, false);
    std::vector<cv_units::Suggestion> unknown;
    std::string names;
    const cv_units::SymbolSuggestions suggestions(t.getUnitDBSetForQuery());
    static const std::vector<ustring> none;
    for (const ustring& symbol : t.isUnitIdValid(id) ? t.getUndefinedUnitsList(id) : none) {
        const std::string utf8 = TextServices::toUtf8(symbol);
        names += (names.empty() ? "" : ", ") + std::string("'") + utf8 + "'";
        unknown.push_back({utf8, suggestions.closest(symbol)});
    }
    if (unknown.size() == 1) {
        std::string message = CvUnitSys::formatMessage(CvUnitSys::makeUnitMsgID(
            "UnitNotInDatabase", {TextServices::fromUtf8(unknown[0].symbol)}));
        if (const auto hint = quantityHint(unknown[0].symbol)) {
            message += "\n" + *hint;
        }
        return UnitError("CorvaneTypes:Unit:UnitNotInDatabase", message, message, 0,
                         std::move(unknown));
    }
    const std::string message =
        unknown.empty()
            ? "'" + std::string(text) + "' does not name one unit of the databases"
            : "'" + std::string(text) + "' names units that no database defines: " + names;
    return UnitError("CorvaneTypes:Unit:UnitNotInDatabase", message, message, 0,
                     std::move(unknown));
}

// The database's unit for a word, in the notation people type (its ASCII
// symbol), or nothing.
std::optional<std::string> unitSymbol(const std::string& word) {
    const CvUnitSys::UnitDBSet& set = table().getUnitDBSetForQuery();
    const auto found = set.findUnit(TextServices::fromUtf8(word));
    if (found.empty()) {
        return std::nullopt;
    }
    const std::u16string_view ascii = found.begin()->get().getAsciiSymbol();
    const std::u16string_view symbol = ascii.empty() ? found.begin()->get().getSymbol() : ascii;
    return parsesAndResolves(TextServices::toUtf8(symbol)) ? TextServices::toUtf8(symbol) : word;
}

// Singular forms a plural may come from, most specific first.
std::vector<std::string> singulars(const std::string& word) {
    static const std::array<std::pair<std::string_view, std::string_view>, 2> irregular{
        {{"feet", "foot"}, {"Feet", "Foot"}}};
    std::vector<std::string> out;
    for (const auto& [plural, singular] : irregular) {
        if (word.ends_with(plural)) {
            out.push_back(word.substr(0, word.size() - plural.size()) + std::string(singular));
        }
    }
    // English adds "es" only after a hissing sound: "inches", not "mil-es".
    const std::string stem = word.size() > 2 ? word.substr(0, word.size() - 2) : "";
    if (stem.ends_with('s') || stem.ends_with('x') || stem.ends_with('z') || stem.ends_with("ch") ||
        stem.ends_with("sh")) {
        out.push_back(stem);
    }
    if (word.size() > 3 && word.ends_with("ies")) {
        out.push_back(word.substr(0, word.size() - 3) + "y");
    } else if (word.size() > 1 && word.ends_with('s')) {
        out.push_back(word.substr(0, word.size() - 1));
    }
    return out;
}

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

// What this thread made of texts, for the databases' version it was made
// with: a batch repeats its units and words, and each reading of a loose text
// costs several look-ups. A text refused is read again the next time.
template <typename Value> class Memo {
public:
    template <typename Make> Value get(std::string_view text, const Make& make) {
        const std::uint32_t version =
            CvUnitSys::UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
        if (version_ != version || known_.size() >= capacity) {
            known_.clear();
            version_ = version;
        }
        if (const auto found = known_.find(text); found != known_.end()) {
            return found->second;
        }
        Value value = make();
        known_.emplace(std::string(text), value);
        return value;
    }

private:
    static constexpr std::size_t capacity = 4096;
    std::uint32_t version_ = 0;
    std::unordered_map<std::string, Value, TextHash, std::equal_to<>> known_;
};

// A word of the typed text in the library's notation: as it is when it is a
// symbol, the unit's symbol when it is a unit's name or the plural of one.
std::string wordTextUncached(std::string_view typed, const Token& word) {
    // A word that is a unit text already ("ms") is never taken for a plural.
    if (parsesAndResolves(word.text)) {
        return unitSymbol(word.text).value_or(word.text);
    }
    std::optional<std::string> found;
    for (const std::string& singular : singulars(word.text)) {
        const auto symbol = unitSymbol(singular);
        if (!symbol) {
            continue;
        }
        if (found && *found != *symbol) {
            refuse(ambiguousId, typed, word.at,
                   "'" + word.text + "' may be the plural of '" + *found + "' or of '" + *symbol +
                       "'; write the one you mean");
        }
        found = symbol;
    }
    return found.value_or(word.text);
}

std::string wordText(std::string_view typed, const Token& word) {
    thread_local Memo<std::string> words;
    return words.get(word.text, [&] { return wordTextUncached(typed, word); });
}

// Reads the tokens into the library's notation: "per" and "/" divide, a
// space between units multiplies, and a number before a unit scales it.
class Reader {
public:
    static constexpr int maxDepth = 100;
    static constexpr std::size_t maxNumberLength = 40;
    // As far as a double's range reaches from 10.
    static constexpr int maxPower = 308;

    Reader(std::string_view typed, std::vector<Token> list)
        : typed_(typed), list_(std::move(list)) {}

    std::string read(cpp_rational& scale) {
        std::string out = expression(0, &scale);
        if (pos_ < list_.size()) {
            throw NotReadable{};
        }
        return out;
    }

private:
    const Token* peek() const { return pos_ < list_.size() ? &list_[pos_] : nullptr; }

    bool startsTerm(const Token* t) const {
        return t != nullptr &&
               (t->kind == Kind::Word || t->kind == Kind::Open || t->kind == Kind::Number);
    }

    // `scale` is null inside parentheses, where a number is refused: what it
    // scales would depend on the exponents around it.
    std::string expression(int depth, cpp_rational* scale) {
        if (depth > maxDepth) {
            throw NotReadable{};
        }
        std::string out;
        bool divided = false; // the last explicit operator was a division
        bool first = true;
        char op = '*';
        const Token* lastWord = nullptr; // the last term, when it was one word alone
        while (true) {
            const Token* t = peek();
            if (!first) {
                if (t != nullptr && (t->kind == Kind::Times || t->kind == Kind::Divide)) {
                    op = t->kind == Kind::Times ? '*' : '/';
                    divided = op == '/';
                    ++pos_;
                    t = peek();
                } else if (startsTerm(t)) {
                    if (t->kind == Kind::Number) {
                        refuse(ambiguousId, typed_, t->at,
                               "a number after a unit may be an exponent or a factor; write '^" +
                                   t->text + "' or put the number first");
                    }
                    if (divided) {
                        refuse(ambiguousId, typed_, t->at,
                               "a space after a division may multiply the divisor or the whole "
                               "quotient; write '/(a*b)' or '/a*b'");
                    }
                    if (lastWord != nullptr && t->kind == Kind::Word) {
                        refuseSplitUnit(*lastWord, *t);
                    }
                    op = '*';
                } else {
                    break;
                }
            }
            const std::size_t start = pos_;
            std::string term = this->term(depth, scale, op);
            lastWord =
                pos_ == start + 1 && list_[start].kind == Kind::Word ? &list_[start] : nullptr;
            if (!term.empty()) {
                out += out.empty() ? (op == '/' ? "1/" : "") : std::string(1, op);
                out += term;
            }
            first = false;
        }
        return out;
    }

    // "° C" and "m s": two words that are one unit written together, and a
    // different one multiplied ("°C" is not degree times coulomb, "ms" not
    // metre times second).
    void refuseSplitUnit(const Token& a, const Token& b) const {
        const std::string joined = a.text + b.text;
        if (!parsesAndResolves(joined)) {
            return;
        }
        const std::string product = a.text + "*" + b.text;
        try {
            const cv_units::Converter same(joined, product);
            if (same.scale() == 1.0 && same.offset() == 0.0 && !same.inverted()) {
                return;
            }
        } catch (const UnitError&) {
        }
        refuse(ambiguousId, typed_, a.at,
               "'" + a.text + " " + b.text + "' may be '" + joined + "' or '" + product +
                   "'; write the one you mean");
    }

    // "10^3 m", "10^-6 m": a whole power keeps the scale exact; a fraction
    // of one would not.
    cpp_rational numberPower(const cpp_rational& base, const Token& power) const {
        const double exponent = exponentValue(power.text);
        if (exponent != std::trunc(exponent)) {
            refuse(ambiguousId, typed_, power.at,
                   "a number to a fractional power is not exact; write the number in full");
        }
        if (std::abs(exponent) > maxPower) {
            refuse(ambiguousId, typed_, power.at, "a power of a number beyond a double's range");
        }
        const auto n = static_cast<unsigned>(std::abs(exponent));
        const cpp_rational raised(boost::multiprecision::pow(numerator(base), n),
                                  boost::multiprecision::pow(denominator(base), n));
        return exponent < 0 ? cpp_rational(1 / raised) : raised;
    }

    std::string term(int depth, cpp_rational* scale, char op) {
        const Token* t = peek();
        if (t == nullptr) {
            throw NotReadable{};
        }
        if (t->kind == Kind::Number) {
            if (scale == nullptr) {
                refuse(ambiguousId, typed_, t->at,
                       "a number inside parentheses; write it before them");
            }
            if (t->text.size() > maxNumberLength) {
                refuse(ambiguousId, typed_, t->at, "a number of more digits than a double holds");
            }
            cpp_rational value = decimalValue(t->text);
            if (value == 0) {
                refuse(ambiguousId, typed_, t->at, "a unit scaled by zero converts nothing");
            }
            ++pos_;
            const Token* next = peek();
            if (next != nullptr && next->kind == Kind::Power) {
                value = numberPower(value, *next);
                ++pos_;
                next = peek();
                // A second power would be read from the left, which nobody means.
                if (next != nullptr && next->kind == Kind::Power) {
                    refuse(ambiguousId, typed_, next->at,
                           "a power of a power; write the number in full");
                }
            }
            *scale = op == '/' ? cpp_rational(*scale / value) : cpp_rational(*scale * value);
            if (next == nullptr || (next->kind != Kind::Word && next->kind != Kind::Open)) {
                return "";
            }
            t = next;
        }
        std::string out;
        if (t->kind == Kind::Word) {
            out = wordText(typed_, *t);
            ++pos_;
        } else if (t->kind == Kind::Open) {
            ++pos_;
            out = "(" + expression(depth + 1, nullptr);
            const Token* close = peek();
            if (close == nullptr || close->kind != Kind::Close) {
                throw NotReadable{};
            }
            ++pos_;
            out += ")";
        } else {
            throw NotReadable{};
        }
        while (peek() != nullptr && peek()->kind == Kind::Power) {
            out += "^" + peek()->text;
            ++pos_;
        }
        return out;
    }

    std::string_view typed_;
    std::vector<Token> list_;
    std::size_t pos_ = 0;
};

std::string rationalText(const cpp_rational& r) {
    const cpp_int& d = boost::multiprecision::denominator(r);
    return boost::multiprecision::numerator(r).str() + (d == 1 ? "" : "/" + d.str());
}

} // namespace

namespace {

// Whether white space stands between two operands ("kg m", "miles per hour"),
// which the grammar never accepts: such a text is not tried as it stands,
// since a failed parse costs more than the whole reading.
bool hasJuxtaposition(std::string_view text) {
    const auto operand = [](char c) {
        return c != ' ' && c != '\t' && c != '*' && c != '/' && c != '^' && c != '(' && c != ')';
    };
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t') {
            continue;
        }
        const char before = text[i - 1];
        std::size_t next = i;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) {
            ++next;
        }
        if (next < text.size() && (operand(before) || before == ')') &&
            (operand(text[next]) || text[next] == '(')) {
            return true;
        }
        i = next;
    }
    return false;
}

TypedUnit readUncached(std::string_view typed) {
    // Not UTF-8, or a NUL: refused before any word is looked up.
    cv_units::checkText(typed);
    TypedUnit out{std::string(typed), std::string(typed), false, cpp_rational(1), false};
    if (!hasJuxtaposition(typed) && parsesAndResolves(typed)) {
        if (typed.find('^') != std::string_view::npos) {
            checkExponents(typed, notationTokens(typed));
        }
        return out;
    }
    // Nobody types a unit that long; the library's answer is all it gets.
    if (typed.size() > maxTypedLength) {
        if (resolves(typed)) {
            return out;
        }
        throw unresolvedError(typed);
    }
    const std::vector<Token> list = typedTokens(typed);
    checkExponents(typed, list);
    try {
        out.text = Reader(typed, list).read(out.scale);
    } catch (const NotReadable&) {
        out.text = typed;
    }
    if (out.text.empty()) {
        refuse(ambiguousId, typed, 0, "a number alone is not a unit");
    }
    if (const double scale = out.scale.convert_to<double>(); scale == 0 || std::isinf(scale)) {
        refuse(ambiguousId, typed, 0, "a scale beyond a double's range");
    }
    out.scaled = out.scale != 1;
    out.rewritten = out.text != typed || out.scaled;
    if (out.rewritten) {
        try {
            if (resolves(out.text)) {
                return out;
            }
            throw unresolvedError(out.text);
        } catch (const UnitError& e) {
            // Only a reading that parses is worth naming; otherwise the
            // library's complaint about the typed text is the answer.
            if (e.column() == 0) {
                throw;
            }
        }
    }
    if (resolves(typed)) {
        return TypedUnit{std::string(typed), std::string(typed), false, cpp_rational(1), false};
    }
    throw unresolvedError(typed);
}

} // namespace

TypedUnit readTypedUnit(std::string_view typed) {
    thread_local Memo<TypedUnit> readings;
    return readings.get(typed, [&] { return readUncached(typed); });
}

std::string understoodText(const TypedUnit& unit) {
    std::string out = "understood '" + unit.typed + "' as '" + unit.text + "'";
    if (unit.scaled) {
        out += " times " + rationalText(unit.scale);
    }
    return out;
}

void printUnderstood(std::ostream& out, const TypedUnit& a, const TypedUnit& b) {
    for (const TypedUnit* unit : {&a, &b}) {
        if (unit->rewritten) {
            out << understoodText(*unit) << '\n';
        }
    }
}

nlohmann::json understoodJson(const TypedUnit& from, const TypedUnit& to) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, unit] : {std::pair{"from", &from}, std::pair{"to", &to}}) {
        if (unit->rewritten) {
            out[key] = {
                {"typed", unit->typed}, {"text", unit->text}, {"scale", rationalText(unit->scale)}};
        }
    }
    return out;
}

cv_units::UnitError inTypedWords(const cv_units::UnitError& error, const TypedUnit& a,
                                 const TypedUnit& b) {
    // The library names a unit by its symbols, whatever name it was given.
    const auto namesOf = [](const TypedUnit& unit) {
        std::vector<std::string> names{unit.text};
        try {
            UnitTable& t = table();
            const std::int32_t id = t.registerUnit(TextServices::fromUtf8(unit.text), true, false);
            if (t.isUnitIdValid(id)) {
                names.push_back(TextServices::toUtf8(t.getUnitSymbolExpr(id)));
                names.push_back(TextServices::toUtf8(t.getUnitAsciiSymbolExpr(id)));
            }
        } catch (const CvUnitSys::IUserException&) {
        }
        return names;
    };
    const std::vector<std::string> aNames = namesOf(a);
    const std::vector<std::string> bNames = namesOf(b);
    const auto retell = [&](std::string text) {
        for (const auto& [unit, names] : {std::pair{&a, &aNames}, std::pair{&b, &bNames}}) {
            const std::string typed = "'" + unit->typed + "'";
            for (const std::string& name : *names) {
                const std::string quoted = "'" + name + "'";
                if (quoted == typed) {
                    continue;
                }
                for (std::size_t at = text.find(quoted); at != std::string::npos;
                     at = text.find(quoted, at + typed.size())) {
                    text.replace(at, quoted.size(), typed);
                }
            }
        }
        return text;
    };
    return UnitError(error.identifier(), retell(error.what()), retell(error.summary()),
                     error.column(), error.suggestions());
}

} // namespace cvunits
