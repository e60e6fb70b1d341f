#include "units/query/UnitTable.hpp"

#include "units/expr/GenConvertedStringFromExpr.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/host/UnitDiagnosticsReporter.hpp"
#include "units/model/DefaultQuantity.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/RegexReplacement.hpp"
#include "units/query/UnitTableEntries.hpp"

#include <algorithm>
#include <array>
#include <boost/optional.hpp>
#include <iterator>
#include <span>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace CvUnitSys {

using namespace unittable;

namespace {

// The special units every table starts with, in registration order, with the
// keys they are registered under.
const std::vector<std::pair<ustring, std::unique_ptr<UnitBase>>>& baseUnits() {
    static const auto units = [] {
        const UnitFactory factory;
        const UnitBase& anyQuantity = UnitFactory::getDefaultPhysicalQuantity();
        std::vector<std::pair<ustring, std::unique_ptr<UnitBase>>> list;
        for (const ustring& text : {mixedText, Unit::UnitInheritUStr}) {
            list.emplace_back(text, factory.createUnit(UnitTable::NoUnitId, text, text, text, text,
                                                       text, defaultStoredConversionFactor(), u"",
                                                       {}, {}, false, anyQuantity));
        }
        list.emplace_back(u"", UnitFactory::getDefaultUnit().clone());
        return list;
    }();
    return units;
}

// Characters that would break the texts the host builds from a unit
// (comments, quotes, markup, control characters) become "_".
ustring sanitize(ustring text) {
    // Almost every text has none of these; a scan is far cheaper than a match.
    // It must find whatever the pattern finds.
    const bool clean = std::ranges::none_of(text, [](char16_t c) {
        switch (c) {
        case u'\\':
        case u'"':
        case u'\'':
        case u'{':
        case u'}':
        case u'[':
        case u']':
        case u'<':
        case u'>':
        case u'&':
            return true;
        default:
            return (c >= 0x01 && c <= 0x1F) || (c >= 0x7F && c <= 0x9F);
        }
    });
    if (clean && text.find(u"/*") == ustring::npos && text.find(u"*/") == ustring::npos) {
        return text;
    }
    // Compiled on the first text that needs it.
    static const RegexReplacement pattern(u"/\\*|\\*/|[\\\\\"'{}\\[\\]<>&\\x01-\\x1F\\x7F-\\x9F]",
                                          u"_");
    return pattern.replaceAll(text);
}

// Nearly every text is visible ASCII with no '@' and none of the characters
// or comment markers sanitize replaces: its own normal form, its own sanitised
// form, and its own unit part with no quantity.
constexpr std::u16string_view notPlain = u"@\\\"'{}[]<>&";

#if defined(__SSE2__)
// The same for the eight characters at `at`, `at` + 8 being within the text.
bool isPlainBlock(std::u16string_view text, std::size_t at) {
    const auto load = [&text](std::size_t from) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    };
    const __m128i block = load(at);
    // Each character's predecessor; the first has none.
    const __m128i before = at == 0 ? _mm_slli_si128(block, 2) : load(at - 1);
    // Visible ASCII is 0x21 to 0x7E: one saturating step tells who is out.
    const __m128i offset = _mm_sub_epi16(block, _mm_set1_epi16(0x21));
    __m128i bad =
        _mm_cmpeq_epi16(_mm_subs_epu16(offset, _mm_set1_epi16(0x7E - 0x21)), _mm_setzero_si128());
    bad = _mm_xor_si128(bad, _mm_set1_epi16(-1));
    for (const char16_t c : notPlain) {
        bad = _mm_or_si128(bad, _mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(c))));
    }
    const auto is = [](__m128i v, char16_t c) {
        return _mm_cmpeq_epi16(v, _mm_set1_epi16(static_cast<short>(c)));
    };
    bad = _mm_or_si128(bad, _mm_and_si128(is(before, u'/'), is(block, u'*')));
    bad = _mm_or_si128(bad, _mm_and_si128(is(before, u'*'), is(block, u'/')));
    return _mm_movemask_epi8(bad) == 0;
}
#endif

bool isPlainText(std::u16string_view text) {
#if defined(__SSE2__)
    // Eight characters at a time, the last eight overlapping those before.
    if (text.size() >= 8) {
        for (std::size_t at = 0;; at = std::min(at + 8, text.size() - 8)) {
            if (!isPlainBlock(text, at)) {
                return false;
            }
            if (at + 8 == text.size()) {
                return true;
            }
        }
    }
#endif
    static constexpr auto plain = [] {
        std::array<bool, 0x80> table{};
        for (char16_t c = 0x21; c < 0x7F; ++c) {
            table[c] = notPlain.find(c) == std::u16string_view::npos;
        }
        return table;
    }();
    char16_t previous = 0;
    for (const char16_t c : text) {
        if (c >= 0x80 || !plain[c] || (previous == u'/' && c == u'*') ||
            (previous == u'*' && c == u'/')) {
            return false;
        }
        previous = c;
    }
    return true;
}

// The unit part as isAValidUnit judges it, parsed once for the steps after it
// into `prepared`, which is left empty when a symbol is not a name. The split
// has already trimmed and normalised the part and refused unpaired surrogates.
// Parse errors are thrown.
void parseValidUnitPart(const ustring& unitPart,
                        boost::optional<UnitTable::PreparedUnitPart>& prepared) {
    prepared.emplace(unitPart);
    if (!prepared->parsed.symbolsAreNames) {
        prepared.reset();
    }
}

// A unit part the databases resolve; an unreadable one counts as not resolved.
bool resolves(const UnitDBSet& set, const ustring& unitPart) {
    try {
        return set.isValidUnitExpr(unitPart);
    } catch (const IException&) {
        return false;
    }
}

} // namespace

UnitTable::UnitTable() : UnitTable(nullptr) {}

UnitTable::UnitTable(std::unique_ptr<UnitDiagnosticsReporter> reporter)
    : set_(UnitDBManager::m_UnitDBManager.createNewUnitDBSet()), reporter_(std::move(reporter)) {
    initialize();
}

UnitTable::~UnitTable() = default;

void UnitTable::initialize() {
    for (const auto& [key, unit] : baseUnits()) {
        auto copy = unit->clone();
        copy->setId(nextId());
        addUnit(key, std::move(copy));
    }
}

FeatureSwitch& UnitTable::quantityOnlyRegistration() {
    static FeatureSwitch feature("UnitsQuantityOnlyRegistration");
    return feature;
}

std::int32_t UnitTable::getNumBaseUnits() {
    return static_cast<std::int32_t>(baseUnits().size()) - 2;
}

bool UnitTable::isOnlyBuiltIn() const {
    return units_.size() == baseUnits().size();
}

std::int32_t UnitTable::nextId() const {
    return units_.empty() ? MixedUnitId : idOf(units_.back()) + 1;
}

std::int32_t UnitTable::findId(std::u16string_view key) const {
    return findId(key, TextIdIndex::hashOf(key));
}

std::int32_t UnitTable::findId(std::u16string_view key, std::uint32_t hash) const {
    const std::int32_t id = index_.find(key, hash, indexedKey());
    return id == TextIdIndex::noId ? NoUnitId : id;
}

std::int32_t UnitTable::registerUnit(const ustring& expr, bool strict, bool fromModel) {
    if (expr.empty()) {
        return EmptyUnitId;
    }
    if (fromModel && expr != Unit::UnitInheritUStr) {
        unitsPropagate_ = true;
    }
    // A plain text is its own key: looked up before it is copied. The key's
    // hash serves the look-up and the indexing of a new unit.
    const bool plain = isPlainText(expr);
    std::uint32_t hash = 0;
    if (plain) {
        hash = TextIdIndex::hashOf(expr);
        if (const std::int32_t id = findId(expr, hash); id != NoUnitId) {
            return id;
        }
    }
    // A plain text is also its unit part, and usually the unit's expression
    // and so its key: it is copied once, as the unit part.
    ustring key = plain ? ustring() : normalizeUnitExpression(expr);
    if (!plain) {
        if (!strict) {
            key = sanitize(std::move(key));
        }
        hash = TextIdIndex::hashOf(key);
        if (const std::int32_t id = findId(key, hash); id != NoUnitId) {
            return id;
        }
    }

    // A plain text is its own unit part: read in place, and copied only into
    // the unit's texts.
    ustring split;
    const ustring& unitPart = plain ? expr : split;
    ustring quantityPart;
    // Not std::optional, which zeroes all of its large storage when made empty.
    boost::optional<PreparedUnitPart> prepared;
    bool wellFormed = true;
    bool quantityOnly = false;
    if (!plain && !parseExprForUnitComponents(key, split, quantityPart)) {
        if (strict) {
            throwUnitMsg("PhysicalQuantityParsingError", {expr});
        }
        // The unit shows what was typed.
        split = key;
        quantityPart.clear();
        wellFormed = false;
    } else {
        if (!quantityPart.empty()) {
            if (!UnitBase::isValidStringForUnitName(quantityPart)) {
                if (strict) {
                    throwUnitMsg("AlphaNumericStringOnlyForName", {quantityPart});
                }
                wellFormed = false;
            }
        } else if (unitPart.empty()) {
            return EmptyUnitId;
        }
        quantityOnly =
            !quantityPart.empty() && (unitPart.empty() || unitPart == Unit::UnitInheritUStr);
        if (quantityOnly && !quantityOnlyRegistration().isEnabled()) {
            if (strict) {
                throwUnitMsg("PhysicalQuantityWithoutUnit", {quantityPart});
            }
            quantityOnly = false;
            wellFormed = false;
        }
        if (!unitPart.empty() && unitPart != Unit::UnitInheritUStr) {
            try {
                parseValidUnitPart(unitPart, prepared);
                wellFormed = prepared && wellFormed;
            } catch (const IException& e) {
                if (strict) {
                    throwUnitMsgWithCause("InvalidUnitExpression", {expr}, e);
                }
                wellFormed = false;
            }
        }
    }

    const std::int32_t newId = nextId();
    set_->initializeIfNeeded();
    bool resolved = false;
    bool ambiguous = false;
    if (wellFormed) {
        if (quantityOnly) {
            resolved = set_->hasPhysicalQuantity(quantityPart);
        } else if (prepared) {
            const std::span<const ParsedSymbol> symbols(prepared->parsed.symbols.data(),
                                                        prepared->parsed.symbols.size());
            prepared->parts = set_->resolveUnitExpr(symbols, prepared->parsed.lookedUpIn);
            resolved = prepared->parts.has_value();
            ambiguous = resolved && set_->isAmbiguousUnitExpr(symbols);
        } else {
            resolved = resolves(*set_, unitPart);
            ambiguous = resolved && set_->isAmbiguousUnitExpr(unitPart);
        }
    }
    std::unique_ptr<UnitBase> unit = allocateUnit(newId, unitPart, quantityPart, resolved,
                                                  wellFormed, prepared ? &*prepared : nullptr);
    if (resolved && ambiguous) {
        ambiguousIds_.insert(newId);
        set_->setAmbiguous(*unit);
    }
    if (plain) {
        addUnit(expr, hash, nullptr, std::move(unit));
    } else {
        addUnit(key, hash, &key, std::move(unit));
    }
    if (!quantityPart.empty()) {
        idsWithQuantity_.insert(newId);
    }
    if (!quantityOnly && !resolved) {
        unresolvedIds_.insert(newId);
    }
    if (quantityOnly) {
        quantityOnlyIds_.insert(newId);
        if (fromModel) {
            pqOnlyPropagate_ = true;
        }
    }
    return newId;
}

std::optional<Diagnostic> UnitTable::RegisterUnit(UnitTable& table, const ustring& blockPath,
                                                  const ustring& expr, std::int32_t* id,
                                                  bool strict) {
    try {
        *id = table.registerUnit(expr, strict, true);
        return std::nullopt;
    } catch (const IException& e) {
        Diagnostic caught = cvsvCreateDiagnosticFromIException(e, true);
        if (blockPath.empty()) {
            return caught;
        }
        Diagnostic fromBlock =
            cvsvCreateDiagnosticFromMessageID(makeUnitMsgID("UnitErrorFromBlock", {blockPath}));
        cvsvAddCauseToDiagnosticItem(fromBlock, 0, std::move(caught));
        return fromBlock;
    }
}

void UnitTable::addUnit(ustring key, std::unique_ptr<UnitBase> unit) {
    addUnit(key, TextIdIndex::hashOf(key), &key, std::move(unit));
}

void UnitTable::addUnit(std::u16string_view key, std::uint32_t hash, ustring* storage,
                        std::unique_ptr<UnitBase> unit) {
    const std::int32_t id = unit->getId();
    auto at = units_.empty() || idOf(units_.back()) < id ? units_.end() : lowerBound(units_, id);
    if (at != units_.end() && idOf(*at) == id) {
        return;
    }
    at = units_.emplace(at, std::move(unit));
    if (id != MixedUnitId) {
        indexKey(id, *at, key, hash, storage);
    }
}

void UnitTable::indexKey(std::int32_t id, Entry& entry, std::u16string_view key, std::uint32_t hash,
                         ustring* storage) {
    if (!index_.insertIfAbsent(key, hash, id, indexedKey())) {
        return;
    }
    if (sameText(entry.unit()->getExpression(), key)) {
        entry.setKey(Entry::ExpressionKey);
        return;
    }
    ownKeys_[id] = storage != nullptr ? std::move(*storage) : ustring(key);
    entry.setKey(Entry::OwnKey);
}

void UnitTable::unindexKey(std::int32_t id, const Entry& entry) {
    if (const auto key = keyOf(id, entry)) {
        index_.erase(*key, id);
        ownKeys_.erase(id);
    }
}

std::optional<std::u16string_view> UnitTable::keyOf(std::int32_t id, const Entry& entry) const {
    switch (entry.key()) {
    case Entry::ExpressionKey:
        return entry.unit()->getExpression();
    case Entry::OwnKey:
        return ownKeys_.find(id)->second;
    default:
        return std::nullopt;
    }
}

std::u16string_view UnitTable::indexedText(std::int32_t id) const {
    // The index asks only of ids it holds, whose key is one of these two.
    const Entry& entry = *findEntry(units_, id);
    return entry.key() == Entry::ExpressionKey ? entry.unit()->getExpression()
                                               : std::u16string_view(ownKeys_.find(id)->second);
}

UnitTable::Entry& UnitTable::Entry::operator=(Entry&& other) noexcept {
    if (this != &other) {
        delete unit();
        bits_ = std::exchange(other.bits_, 0);
    }
    return *this;
}

void UnitTable::Entry::setUnit(std::unique_ptr<UnitBase> unit) {
    static_assert(alignof(UnitBase) > keyMask, "the key's kind lives in the low bits");
    delete this->unit();
    bits_ = reinterpret_cast<std::uintptr_t>(unit.release()) | key();
}

void UnitTable::replaceUnit(std::int32_t id, Entry& entry, std::unique_ptr<UnitBase> unit) {
    // The index holds the id, not the text: only where the key lives changes.
    if (const auto key = keyOf(id, entry)) {
        if (unit->getExpression() == *key) {
            // A key of its own is read from the new expression instead.
            if (entry.key() == Entry::OwnKey) {
                ownKeys_.erase(id);
            }
            entry.setKey(Entry::ExpressionKey);
        } else if (entry.key() == Entry::ExpressionKey) {
            ownKeys_.insert_or_assign(id, ustring(*key));
            entry.setKey(Entry::OwnKey);
        }
    }
    entry.setUnit(std::move(unit));
}

std::unique_ptr<UnitBase> UnitTable::allocateUnit(std::int32_t id, const ustring& unitPart,
                                                  const ustring& quantityPart, bool resolved,
                                                  bool wellFormed, PreparedUnitPart* prepared) {
    std::reference_wrapper<const UnitBase> quantity = defaultQuantity();
    if (!quantityPart.empty()) {
        if (const auto found = set_->findPhysicalQuantity(quantityPart); !found.empty()) {
            quantity = *found.begin();
        }
    }
    std::unique_ptr<UnitBase> unit;
    const UnitBase* original = resolved && (prepared == nullptr || prepared->oneSymbol)
                                   ? set_->findUnitOf(unitPart, quantity)
                                   : nullptr;
    const bool copied = original != nullptr;
    if (copied) {
        unit = original->clone();
        unit->setId(id);
    } else {
        const bool quantityOnly = unitPart.empty() && !quantityPart.empty();
        const bool unresolved = !resolved && unitPart != Unit::UnitInheritUStr && !quantityOnly;
        // The unit's texts are copied once, into its block, from where the
        // parse wrote them. Texts converted here are rare: made only when needed.
        boost::optional<std::array<ustring, 4>> converted;
        FormTexts own;
        if (!wellFormed) {
            own.origin.fill(FormTexts::convertedText);
        } else if (prepared == nullptr) {
            converted = genConvertedStringsFromExpr(unitPart);
            std::copy(converted->begin(), converted->end(), own.texts.begin());
        }
        const FormTexts& texts = wellFormed && prepared != nullptr ? prepared->parsed.texts : own;
        const auto text = [&](ConversionFormatType form) {
            return texts.of(static_cast<std::size_t>(form), unitPart);
        };
        // A unit of an expression has no systems, prefixes or sub-unit: no factory step.
        unit = std::make_unique<Unit>(
            id,
            texts.formsMadeLater()
                ? UnitTexts(text(ConversionFormatType::Symbol), text(ConversionFormatType::Ascii),
                            unitPart, &UnitExprWithTexts::formsMadeLater)
                : UnitTexts(text(ConversionFormatType::Name), text(ConversionFormatType::Symbol),
                            text(ConversionFormatType::Ascii), text(ConversionFormatType::Display),
                            unitPart),
            defaultStoredConversionFactor(), quantity);
        if (unresolved) {
            set_->setUnresolved(*unit);
        }
    }
    if (resolved) {
        try {
            // A copied unit carries its database expression, not the text parsed here.
            if (prepared != nullptr && prepared->parts && !copied) {
                set_->genUnitDefinition(*unit, *prepared->parts);
            } else {
                set_->genUnitDefinition(*unit);
            }
        } catch (const IException& e) {
            throwUnitMsgWithCause("UnitDefinitionGenFailure",
                                  {ustring(unit->getSymbol()),
                                   set_->getDefiningDatabaseName(ustring(unit->getSymbol()))},
                                  e);
        }
        if (copied) {
            set_->addCopiedUnit(*unit, *original);
        } else {
            if (prepared != nullptr && prepared->parts) {
                set_->addWhitelistedUnits(*unit, *prepared->parts);
            } else {
                set_->addWhitelistedUnits(*unit);
            }
            set_->isValid(*unit, true);
        }
    }
    return unit;
}

void UnitTable::removeUnit(const UnitBase& unit) {
    // By id: a unit copied from a database carries that unit's expression, not
    // the text it was registered under.
    const std::int32_t id = unit.getId();
    if (const Entry* found = findEntry(units_, id)) {
        unindexKey(id, *found);
        units_.erase(units_.begin() + (found - units_.data()));
    }
    clearPairCaches();
}

void UnitTable::resetToBuiltin() {
    const auto firstDropped = lowerBound(units_, getNumBaseUnits());
    for (auto it = firstDropped; it != units_.end(); ++it) {
        unindexKey(idOf(*it), *it);
    }
    units_.erase(firstDropped, units_.end());
    idsWithQuantity_.clear();
    unresolvedIds_.clear();
    ambiguousIds_.clear();
    quantityOnlyIds_.clear();
    {
        const std::lock_guard guard(undefinedLock_);
        undefinedUnits_.clear();
    }
    {
        const std::lock_guard guard(ambiguousLock_);
        ambiguousUnits_.clear();
    }
    unitsPropagate_ = false;
    clearPairCaches();
    set_->clearTemporaryUnitDefinitions();
}

void UnitTable::remarkUnitsInSet() {
    set_->clearTemporaryUnitDefinitions();
    for (const std::int32_t id : unresolvedIds_) {
        const UnitBase& unit = *entryAt(units_, id).unit();
        if (!unit.getExpression().empty() && !isInherit(unit.getExpression())) {
            set_->setUnresolved(unit);
        }
    }
    for (const std::int32_t id : ambiguousIds_) {
        set_->setAmbiguous(*entryAt(units_, id).unit());
    }
    clearPairCaches();
}

void UnitTable::resolveUnresolvedUnits() {
    set_->initializeIfNeeded();
    const std::vector<std::int32_t> ids(unresolvedIds_.begin(), unresolvedIds_.end());
    bool changed = false;
    for (const std::int32_t id : ids) {
        ustring unitPart;
        ustring quantityPart;
        if (!parseExprForUnitComponents(getUserSpecifiedUnitExpr(id), unitPart, quantityPart) ||
            unitPart.empty() || !resolves(*set_, unitPart)) {
            continue;
        }
        const bool ambiguous = set_->isAmbiguousUnitExpr(unitPart);
        std::unique_ptr<UnitBase> unit = allocateUnit(id, unitPart, quantityPart, true, true);
        if (ambiguous) {
            ambiguousIds_.insert(id);
            set_->setAmbiguous(*unit);
        }
        replaceUnit(id, entryAt(units_, id), std::move(unit));
        unresolvedIds_.erase(id);
        changed = true;
    }
    if (changed) {
        remarkUnitsInSet();
    }
}

void UnitTable::resolveAmbiguousUnits() {
    set_->initializeIfNeeded();
    const std::size_t before = ambiguousIds_.size();
    std::erase_if(ambiguousIds_, [&](std::int32_t id) {
        ustring unitPart;
        ustring quantityPart;
        return parseExprForUnitComponents(getUserSpecifiedUnitExpr(id), unitPart, quantityPart) &&
               !unitPart.empty() && resolves(*set_, unitPart) &&
               !set_->isAmbiguousUnitExpr(unitPart);
    });
    if (ambiguousIds_.size() != before) {
        remarkUnitsInSet();
    }
}

std::int32_t UnitTable::getUnitId(const ustring& expr, bool sanitizeText) const {
    const ustring key = normalizeUnitExpression(expr);
    return findId(sanitizeText ? sanitize(key) : key);
}

const UnitBase* UnitTable::getUnit(const ustring& expr) const {
    const std::int32_t id = getUnitId(expr, true);
    if (id == InheritUnitId || id == NoUnitId) {
        return nullptr;
    }
    const Entry* found = findEntry(units_, id);
    return found == nullptr ? nullptr : found->unit();
}

} // namespace CvUnitSys
