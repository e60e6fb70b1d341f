#include "units/db/PhysicalQuantityReductionMap.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitFactory.hpp"

#include <algorithm>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace CvUnitSys {

namespace {

bool isDefaultQuantity(const UnitBase& pq) {
    return pq.compare(UnitFactory::getDefaultPhysicalQuantity()) == 0;
}

} // namespace

PhysicalQuantityReductionMap::PhysicalQuantityReductionMap()
    : defaultTag_(getTag(UnitFactory::getDefaultPhysicalQuantity())) {}

void PhysicalQuantityReductionMap::initializeIfNeeded() {
    bool expected = false;
    if (!initialized_.compare_exchange_strong(expected, true)) {
        return;
    }
    // Its first load tells the observer, whose set takes the manager's locks;
    // a reload takes this map's lock under those, so never load under it.
    const UnitDatabase& builtin = *UnitDatabase::getBuiltinDatabase();
    std::unique_lock lock(lock_);
    emptyMaps();
    // Holding the listed databases keeps their quantities alive should the
    // host remove one while the map is filled. A quantity that several
    // databases hold counts once.
    const UnitDBManager::Snapshot listed = UnitDBManager::m_UnitDBManager.snapshot();
    QuantitySet quantities = builtin.getAllPhysicalQuantities();
    for (const auto& managed : listed) {
        const auto own = (**managed).getAllPhysicalQuantities();
        quantities.insert(own.begin(), own.end());
    }
    insertHelper(quantities);
}

void PhysicalQuantityReductionMap::clear() {
    bool expected = true;
    if (!initialized_.compare_exchange_strong(expected, false)) {
        return;
    }
    std::unique_lock lock(lock_);
    // A fill started since the flag went down saw the new databases, or will
    // empty the maps itself; emptying after it would leave a filled-looking
    // map with nothing in it.
    if (!initialized_.load()) {
        emptyMaps();
    }
}

void PhysicalQuantityReductionMap::emptyMaps() {
    unsimplified_.clear();
    simplified_.clear();
    inverse_.clear();
}

bool PhysicalQuantityReductionMap::insert(std::reference_wrapper<const UnitBase> pq) {
    std::unique_lock lock(lock_);
    if (simplified_.contains(getTag(pq))) {
        return false;
    }
    insertHelper(QuantitySet{pq});
    return true;
}

void PhysicalQuantityReductionMap::insert(const QuantitySet& quantities) {
    std::unique_lock lock(lock_);
    insertHelper(quantities);
}

BaseExpression PhysicalQuantityReductionMap::getSimplifiedBaseExpression(const UnitBase& pq) const {
    return isDefaultQuantity(pq) ? BaseExpression() : getSimplifiedBaseExpression(getTag(pq));
}

BaseExpression
PhysicalQuantityReductionMap::getUnsimplifiedBaseExpression(const UnitBase& pq) const {
    return isDefaultQuantity(pq) ? BaseExpression() : getUnsimplifiedBaseExpression(getTag(pq));
}

BaseExpression PhysicalQuantityReductionMap::getSimplifiedBaseExpression(const ustring& tag) const {
    return getBaseExpression(tag, simplified_);
}

BaseExpression
PhysicalQuantityReductionMap::getUnsimplifiedBaseExpression(const ustring& tag) const {
    return getBaseExpression(tag, unsimplified_);
}

BaseExpression PhysicalQuantityReductionMap::getBaseExpression(const ustring& tag,
                                                               const ExpressionMap& map) const {
    std::shared_lock lock(lock_);
    auto it = map.find(tag);
    return it == map.end() ? BaseExpression() : it->second;
}

PhysicalQuantityReductionMap::Tags
PhysicalQuantityReductionMap::getMatching(const BaseExpression& x) const {
    std::shared_lock lock(lock_);
    auto it = inverse_.find(x);
    return it == inverse_.end() ? Tags() : it->second;
}

BaseExpression PhysicalQuantityReductionMap::simplify(const BaseExpression& sorted) {
    BaseExpression out;
    for (auto run = sorted.begin(); run != sorted.end();) {
        Exponent sum = run->second;
        auto next = run + 1;
        for (; next != sorted.end() && next->first == run->first; ++next) {
            sum += next->second;
        }
        // Only the value counts once terms are combined: (1, 1) is no factor at all.
        const Exponent simplified(sum.getSimplifiedExpo());
        if (!(simplified == 0)) {
            out.emplace_back(run->first, simplified);
        }
        run = next;
    }
    if (out.empty()) {
        out.emplace_back(u"length", Exponent(0.0));
    }
    return out;
}

BaseExpression PhysicalQuantityReductionMap::merge(const BaseExpression& a,
                                                   const BaseExpression& b) {
    BaseExpression out;
    out.reserve(a.size() + b.size());
    const TagExponentSortComparator before;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        out.push_back(before(*i, *j) ? *i++ : *j++);
    }
    out.insert(out.end(), i, a.end());
    out.insert(out.end(), j, b.end());
    return out;
}

PhysicalQuantityReductionMap::Definitions
PhysicalQuantityReductionMap::genDefinitions(const QuantitySet& quantities) {
    Definitions definitions;
    for (const auto& pq : quantities) {
        const ustring tag = getTag(pq);
        if (definitions.contains(tag)) {
            continue;
        }
        UnitExpr parsed;
        parseUnitExprThrows(ustring(pq.get().getDisplayString()), parsed);
        BaseExpression components(parsed.getReducedUnitExpr().getExpr().begin(),
                                  parsed.getReducedUnitExpr().getExpr().end());
        definitions.emplace(tag, Definition{std::move(components), pq});
    }
    return definitions;
}

// Walks the definitions with an explicit stack: a user database may chain
// quantities deeper than the call stack allows.
const BaseExpression&
PhysicalQuantityReductionMap::genUnsimplifiedBaseExpression(const ustring& tag,
                                                            const Definitions& definitions) {
    if (auto found = unsimplified_.find(tag); found != unsimplified_.end()) {
        return found->second;
    }
    struct Frame {
        ustring tag;
        const Definition* definition;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    std::unordered_set<ustring> inProgress;
    // A definition naming a quantity no database holds, or one that leads back
    // to itself, cannot be reduced; the fill stops there rather than guess.
    const auto open = [&](const ustring& name) {
        auto definition = definitions.find(name);
        if (definition == definitions.end()) {
            throwUnitMsg("PhysicalQuantityNotInDatabase", {name});
        }
        if (!inProgress.insert(name).second) {
            throwUnitMsg("CycleInAST", {name});
        }
        stack.push_back({name, &definition->second});
    };
    open(tag);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Definition& definition = *frame.definition;
        const bool isBase = definition.quantity.get().getDisplayString() == frame.tag;
        if (!isBase) {
            const BaseExpression& components = definition.components;
            while (frame.next < components.size() &&
                   unsimplified_.contains(components[frame.next].first)) {
                ++frame.next;
            }
            if (frame.next < components.size()) {
                open(components[frame.next].first);
                continue;
            }
        }
        BaseExpression reduced;
        if (isBase) {
            reduced.emplace_back(frame.tag, Exponent(1.0));
        } else {
            for (const auto& [name, e] : definition.components) {
                for (auto [t, x] : unsimplified_.at(name)) {
                    x *= e;
                    reduced.emplace_back(std::move(t), x);
                }
            }
            std::stable_sort(reduced.begin(), reduced.end(), TagExponentSortComparator());
        }
        inProgress.erase(frame.tag);
        unsimplified_.emplace(std::move(frame.tag), std::move(reduced));
        stack.pop_back();
    }
    return unsimplified_.at(tag);
}

std::pair<const BaseExpression&, bool>
PhysicalQuantityReductionMap::genSimplifiedBaseExpression(const ustring& tag,
                                                          const BaseExpression& unsimplified) {
    if (auto found = simplified_.find(tag); found != simplified_.end()) {
        return {found->second, false};
    }
    return {simplified_.emplace(tag, simplify(unsimplified)).first->second, true};
}

void PhysicalQuantityReductionMap::insertHelper(const QuantitySet& quantities) {
    const Definitions definitions = genDefinitions(quantities);
    for (const auto& [tag, definition] : definitions) {
        const BaseExpression& u = genUnsimplifiedBaseExpression(tag, definitions);
        const auto [s, isNew] = genSimplifiedBaseExpression(tag, u);
        // A quantity inserted again is listed already: the engine takes a
        // product as named only when exactly one tag matches.
        if (isNew) {
            inverse_[s].push_back(tag);
        }
    }
}

std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out,
                                         const PhysicalQuantityReductionMap& map) {
    const auto section = [&out](const char16_t* title,
                                const PhysicalQuantityReductionMap::ExpressionMap& entries) {
        out << title << u"\n{\n";
        for (const auto& [tag, expression] : entries) {
            out << u'(' << tag << u": " << expression << u")\n";
        }
        out << u"}\n";
    };
    section(u"Unsimplified Base Expressions: ", map.unsimplified_);
    section(u"Simplified Base Expressions: ", map.simplified_);

    std::vector<const std::pair<const BaseExpression, PhysicalQuantityReductionMap::Tags>*> inverse;
    for (const auto& entry : map.inverse_) {
        inverse.push_back(&entry);
    }
    std::stable_sort(inverse.begin(), inverse.end(), [](const auto* a, const auto* b) {
        return a->second.size() > b->second.size();
    });
    out << u"Inverse Base Expressions: \n{\n";
    for (const auto* entry : inverse) {
        out << entry->first << u" {";
        for (std::size_t i = 0; i < entry->second.size(); ++i) {
            out << (i == 0 ? u"" : u", ") << entry->second[i];
        }
        out << u"}\n";
    }
    return out << u"}\n";
}

} // namespace CvUnitSys
