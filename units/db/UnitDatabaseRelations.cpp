#include "units/db/UnitDatabase.hpp"
#include "units/db/UnitDatabaseStore.hpp"

namespace CvUnitSys {

using namespace unitstore;

void UnitDatabase::addUnitProvenanceMapping(const ustring& unitSymbol,
                                            const ustring& provenanceId) {
    store_->unitProvenance.rows.emplace_back(unitSymbol, provenanceId);
}

void UnitDatabase::addUnitAliasProvenanceMapping(const ustring& aliasName,
                                                 const ustring& provenanceId) {
    store_->unitAliasProvenance.rows.emplace_back(aliasName, provenanceId);
}

void UnitDatabase::addPhysicalQuantityProvenanceMapping(const ustring& pqName,
                                                        const ustring& provenanceId) {
    store_->physicalQuantityProvenance.rows.emplace_back(pqName, provenanceId);
}

void UnitDatabase::addUnitPhysicalQuantityMapping(const ustring& unitOrExpression,
                                                  const ustring& pqName) {
    store_->unitPhysicalQuantity.rows.emplace_back(unitOrExpression, pqName);
}

void UnitDatabase::addPhysicalQuantityRelation(const UnitBase& from, const UnitBase& to,
                                               const ConversionFactor& factor) {
    const UnitBase* a = store_->physicalQuantities.find(from);
    const UnitBase* b = store_->physicalQuantities.find(to);
    if (!a || !b) {
        return;
    }
    const bool fromSmaller = a->compare(*b) < 0;
    auto key = fromSmaller ? std::make_pair(a, b) : std::make_pair(b, a);
    store_->relations.insert_or_assign(key, PhysicalQuantityRelation{factor, fromSmaller});
    store_->relatedQuantityNames.emplace(a->getName());
    store_->relatedQuantityNames.emplace(b->getName());
}

std::vector<ustring> UnitDatabase::getUnitFromPhysicalQuantity(const ustring& pqName) const {
    return store_->unitPhysicalQuantity.keysFor(pqName);
}

std::vector<ustring> UnitDatabase::getPhysicalQuantityFromUnit(const ustring& unitSymbol) const {
    return store_->unitPhysicalQuantity.valuesFor(unitSymbol);
}

std::vector<ustring> UnitDatabase::getAllUnitsFromUnitAndPhysicalQuantityMap() const {
    std::vector<ustring> out;
    for (const auto& row : store_->unitPhysicalQuantity.rows) {
        out.push_back(row.first);
    }
    return out;
}

std::vector<ustring> UnitDatabase::getRelatedPhysicalQuantities(const ustring& pqName) const {
    std::vector<ustring> out;
    for (const auto& [key, relation] : store_->relations) {
        if (key.first->getName() == pqName) {
            out.emplace_back(key.second->getName());
        } else if (key.second->getName() == pqName) {
            out.emplace_back(key.first->getName());
        }
    }
    return out;
}

std::optional<ConversionFactor> UnitDatabase::getSpecialConversionFactor(const UnitBase& a,
                                                                         const UnitBase& b) const {
    const UnitBase* pqA = &a;
    const UnitBase* pqB = &b;
    if (a.getUnitType() == UnitBase::UNIT_TYPE_UNIT &&
        b.getUnitType() == UnitBase::UNIT_TYPE_UNIT) {
        pqA = static_cast<const Unit&>(a).getPhysicalQuantity();
        pqB = static_cast<const Unit&>(b).getPhysicalQuantity();
    } else if (a.getUnitType() != UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY ||
               b.getUnitType() != UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY) {
        return std::nullopt;
    }
    // Equal quantities have equal names.
    const auto related = [this](const UnitBase* pq) {
        return pq && store_->relatedQuantityNames.contains(pq->getName());
    };
    if (!related(pqA) || !related(pqB)) {
        return std::nullopt;
    }
    const UnitBase* storedA = store_->physicalQuantities.find(*pqA);
    const UnitBase* storedB = store_->physicalQuantities.find(*pqB);
    if (!storedA || !storedB) {
        return std::nullopt;
    }
    const bool forward = storedA->compare(*storedB) < 0;
    auto it = store_->relations.find(forward ? std::make_pair(storedA, storedB)
                                             : std::make_pair(storedB, storedA));
    if (it == store_->relations.end()) {
        return std::nullopt;
    }
    const PhysicalQuantityRelation& relation = it->second;
    if (forward != relation.fromSmaller && !relation.factor.isReciprocal()) {
        return ConversionFactor::unity / relation.factor;
    }
    return relation.factor;
}

void UnitDatabase::appendProvenances(const std::vector<ustring>& ids, ProvenanceList& out) const {
    for (const ustring& id : ids) {
        if (const UnitProvenance* provenance = getUnitProvenance(id)) {
            out.push_back(*provenance);
        }
    }
    if (ids.empty()) {
        if (const UnitProvenance* unknown = getUnitProvenance(u"Unknown")) {
            out.push_back(*unknown);
        }
    }
}

UnitDatabase::ProvenanceList UnitDatabase::getProvenancesForUnit(const ustring& unitSymbol) const {
    ProvenanceList out;
    appendProvenances(store_->unitProvenance.valuesFor(unitSymbol), out);
    return out;
}

UnitDatabase::ProvenanceList
UnitDatabase::getProvenancesForPhysicalQuantity(const ustring& pqName) const {
    ProvenanceList out;
    appendProvenances(store_->physicalQuantityProvenance.valuesFor(pqName), out);
    return out;
}

void UnitDatabase::appendProvenancesForUnit(const UnitBase& unit, ProvenanceList& out) const {
    appendProvenances(store_->unitProvenance.valuesFor(ustring(unit.getSymbol())), out);
}

void UnitDatabase::appendProvenancesForPhysicalQuantity(const UnitBase& pq,
                                                        ProvenanceList& out) const {
    appendProvenances(store_->physicalQuantityProvenance.valuesFor(ustring(pq.getName())), out);
}

void UnitDatabase::appendUnitsForProvenance(const UnitProvenance& provenance, UnitSet& out) const {
    for (const ustring& symbol : store_->unitProvenance.keysFor(provenance.getProvenanceId())) {
        if (auto it = store_->units.symbols.find(symbol); it != store_->units.symbols.end()) {
            out.insert(*it->second);
        }
    }
}

void UnitDatabase::appendPhysicalQuantitiesForProvenance(const UnitProvenance& provenance,
                                                         UnitSet& out) const {
    for (const ustring& name :
         store_->physicalQuantityProvenance.keysFor(provenance.getProvenanceId())) {
        if (auto it = store_->physicalQuantities.names.find(name);
            it != store_->physicalQuantities.names.end()) {
            out.insert(*it->second);
        }
    }
}

} // namespace CvUnitSys
