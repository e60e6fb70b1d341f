#include "units/cv_units.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/frontdoor/ComparisonExplanation.hpp"
#include "units/frontdoor/ComparisonText.hpp"
#include "units/frontdoor/ConverterAccess.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepositoryReader.hpp"
#include "units/query/UnitTable.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>
#include <variant>

namespace cv_units {

namespace {

using CvUnitSys::IUserException;
using CvUnitSys::TextServices;
using CvUnitSys::UnitDBManager;
using CvUnitSys::UnitNumericInfoForConversions;
using CvUnitSys::UnitTable;

using TextPair = std::pair<std::string, std::string>;
using TextPairView = std::pair<std::string_view, std::string_view>;

// Hashing and comparing views as well as owned texts, so that finding a text
// already seen copies nothing.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

struct TextPairHash {
    using is_transparent = void;
    std::size_t operator()(TextPairView texts) const noexcept {
        const std::size_t first = TextHash{}(texts.first);
        return first ^
               (TextHash{}(texts.second) + 0x9e3779b97f4a7c15ULL + (first << 6) + (first >> 2));
    }
    std::size_t operator()(const TextPair& texts) const noexcept {
        return (*this)(TextPairView(texts.first, texts.second));
    }
};

struct TextPairEqual {
    using is_transparent = void;
    template <typename A, typename B> bool operator()(const A& a, const B& b) const noexcept {
        return std::string_view(a.first) == std::string_view(b.first) &&
               std::string_view(a.second) == std::string_view(b.second);
    }
};

// The databases the contexts of this process added, with the number of
// contexts that hold each: the library lists a database once, whoever asks.
class DatabaseRegistrations {
public:
    void add(const std::string& path) {
        const std::lock_guard lock(mutex_);
        int& holders = holders_[path];
        if (holders == 0) {
            CvUnitSys::registerInternalUnitDatabase(
                TextServices::fromUtf8(path),
                CvUnitSys::UnitRepositoryReader::makeFileLoader(path));
        }
        ++holders;
    }
    void remove(const std::string& path) {
        const std::lock_guard lock(mutex_);
        if (--holders_[path] == 0) {
            holders_.erase(path);
            CvUnitSys::removeInternalUnitDatabase(TextServices::fromUtf8(path));
        }
    }

private:
    std::mutex mutex_;
    std::map<std::string, int> holders_;
};

DatabaseRegistrations& registrations() {
    static DatabaseRegistrations instance;
    return instance;
}

// The name a database file is listed under: the same file under two spellings
// is one database.
std::string databaseName(std::string_view path) {
    checkText(path);
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error)) {
        const std::string message = "there is no unit database file '" + std::string(path) + "'";
        throw UnitError("CvUnits:NoSuchDatabaseFile", message, message);
    }
    return std::filesystem::absolute(file).lexically_normal().string();
}

std::uint32_t databaseVersion() {
    return UnitDBManager::m_UnitDBManager.getUnitDBSetVersion();
}

// A scale that overflowed to infinity or underflowed to zero converts nothing.
bool isRepresentable(const UnitNumericInfoForConversions& info) {
    return std::isfinite(info.getScalingFactor()) && std::isfinite(info.getOffset()) &&
           info.getScalingFactor() != 0.0;
}

} // namespace

struct Units::State {
    static constexpr std::size_t maxTexts = 1 << 16;
    static constexpr std::size_t maxAnswers = 1 << 16;

    UnitTable table;
    // The databases' version that the table and the caches below were made for.
    std::uint32_t version = databaseVersion();
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> ids;
    std::unordered_map<TextPair, Answer, TextPairHash, TextPairEqual> answers;
    std::optional<SymbolSuggestions> suggestions;
    std::vector<std::string> databases;

    // A change of the user databases may resolve a text differently: start over.
    void refresh() {
        const std::uint32_t now = databaseVersion();
        if (now == version) {
            return;
        }
        table.resetToBuiltin();
        ids.clear();
        answers.clear();
        suggestions.reset();
        version = now;
    }

    std::int32_t idOf(std::string_view text) {
        if (const auto known = ids.find(text); known != ids.end()) {
            return known->second;
        }
        checkText(text);
        std::int32_t id = UnitTable::NoUnitId;
        try {
            // Strict: a malformed text is refused with its own diagnostic rather
            // than becoming an unresolved unit.
            id = table.registerUnit(TextServices::fromUtf8(text), true, false);
        } catch (const IUserException& e) {
            throw toUnitError(e);
        }
        ids.emplace(std::string(text), id);
        return id;
    }

    // The converter, or the error when the units do not convert; a text that
    // is not a unit throws.
    const Answer& answer(std::string_view from, std::string_view to) {
        refresh();
        if (const auto known = answers.find(TextPairView(from, to)); known != answers.end()) {
            return known->second;
        }
        forgetWhenFull();
        const std::int32_t a = idOf(from);
        const std::int32_t b = idOf(to);
        Answer made = makeAnswer(from, to, a, b);
        return answers.emplace(TextPair(from, to), std::move(made)).first->second;
    }

    Answer makeAnswer(std::string_view from, std::string_view to, std::int32_t a, std::int32_t b) {
        const auto notConverting = [&](const CvUnitSys::IUserException& e) {
            std::vector<Suggestion> unknown = unknownSymbols(table, a, suggestions);
            for (Suggestion& s : unknownSymbols(table, b, suggestions)) {
                unknown.push_back(std::move(s));
            }
            return toUnitError(e, std::move(unknown));
        };
        try {
            auto outcome = table.tryConversionInfo(a, b);
            if (const auto* reason = std::get_if<CvUnitSys::BaseMsgID>(&outcome)) {
                return notConverting(CvUnitSys::IUserException(
                    CvUnitSys::cvsvCreateDiagnosticFromMessageID(*reason)));
            }
            const auto& info = std::get<UnitNumericInfoForConversions>(outcome);
            if (!isRepresentable(info)) {
                const std::string message = "the conversion factor from '" + std::string(from) +
                                            "' to '" + std::string(to) +
                                            "' is beyond the range of a double";
                return UnitError(notRepresentableId, message, message);
            }
            return ConverterAccess::make(info, exactConversion(table, a, b, info), from, to);
        } catch (const IUserException& e) {
            return notConverting(e);
        }
    }

    // A stream of distinct texts must not grow the context without bound: past
    // maxTexts texts or maxAnswers pairs it starts over with an empty table.
    void forgetWhenFull() {
        if (ids.size() < maxTexts && answers.size() < maxAnswers) {
            return;
        }
        table.resetToBuiltin();
        ids.clear();
        answers.clear();
    }

    Comparison compare(std::string_view a, std::string_view b) {
        refresh();
        forgetWhenFull();
        const std::int32_t x = idOf(a);
        const std::int32_t y = idOf(b);
        Comparison comparison;
        try {
            comparison.code = static_cast<int>(table.equivalentUnits(x, y));
        } catch (const IUserException& e) {
            throw toUnitError(e);
        }
        comparison.name = comparisonName(comparison.code);
        comparison.explanation = comparisonExplanation(comparison.code);
        comparison.convertible = isConvertible(comparison.code);
        if (!comparison.convertible) {
            explainComparison(table, x, y, suggestions, comparison);
        }
        return comparison;
    }
};

Units::Units() : state_(std::make_unique<State>()) {}

Units::~Units() {
    if (!state_) {
        return;
    }
    for (const std::string& path : state_->databases) {
        // A destructor cannot report; the database stays listed at worst.
        try {
            registrations().remove(path);
        } catch (...) {
        }
    }
}

Units::Units(Units&&) noexcept = default;

Units& Units::operator=(Units&& other) noexcept {
    Units old(std::move(*this));
    state_ = std::move(other.state_);
    return *this;
}

void Units::addDatabase(std::string_view path) {
    const std::string name = databaseName(path);
    if (std::find(state_->databases.begin(), state_->databases.end(), name) !=
        state_->databases.end()) {
        return;
    }
    registrations().add(name);
    state_->databases.push_back(name);
}

namespace {

const Converter& converterOrThrow(const Answer& answer) {
    if (const auto* error = std::get_if<UnitError>(&answer)) {
        throw *error;
    }
    return std::get<Converter>(answer);
}

} // namespace

Converter Units::converter(std::string_view from, std::string_view to) {
    return converterOrThrow(state_->answer(from, to));
}

const Answer& Units::tryConverter(std::string_view from, std::string_view to) {
    return state_->answer(from, to);
}

double Units::convert(double value, std::string_view from, std::string_view to) {
    return converterOrThrow(state_->answer(from, to))(value);
}

Comparison Units::compare(std::string_view a, std::string_view b) {
    return state_->compare(a, b);
}

CvUnitSys::UnitTable& Units::table() {
    state_->refresh();
    return state_->table;
}

Units& defaultUnits() {
    thread_local Units units;
    return units;
}

double convert(double value, std::string_view from, std::string_view to) {
    return defaultUnits().convert(value, from, to);
}

Comparison compare(std::string_view a, std::string_view b) {
    return defaultUnits().compare(a, b);
}

void addDatabase(std::string_view path) {
    // A holder that never lets go: removing a database on the way out of the
    // process would validate the others once more for nothing.
    static std::mutex mutex;
    static std::set<std::string> added;
    const std::string name = databaseName(path);
    const std::lock_guard lock(mutex);
    if (added.insert(name).second) {
        registrations().add(name);
    }
}

} // namespace cv_units
