#include "units/host/HxArrayConversion.hpp"

#include "units/host/COSObject.hpp"
#include "units/host/CvPhysicalQuantity.hpp"
#include "units/host/CvUnit.hpp"
#include "units/host/CvUnitPrefix.hpp"
#include "units/host/CvUnitProvenance.hpp"
#include "units/host/CvUnitSystem.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitPrefix.hpp"
#include "units/model/UnitProvenance.hpp"

#include <algorithm>
#include <array>

namespace CvUnitSys::HxArrayConversion {

namespace {

// A new object made by the class's constructor from the texts, and its record.
template <typename Record, std::size_t N>
std::pair<objsys::COSInterfacePtr, Record*>
construct(const std::array<std::u16string_view, N>& texts) {
    std::array<matrix::unique_array, N> owned;
    std::array<const hxArray*, N> args{};
    for (std::size_t i = 0; i < N; ++i) {
        owned[i] = objsys::makeText(ustring(texts[i]));
        args[i] = owned[i].get();
    }
    const matrix::unique_array made =
        omConstructObjectWithClient(Record::getClassID(), N, args.data(), COSGetPublicClient());
    objsys::COSInterfacePtr object = omGetArrayElement(made.get(), 0);
    Record* record = objsys::COSDataTypePtrHelper::getObject<Record>(object);
    return {std::move(object), record};
}

// A column of objects of Record's class, one per item, `fill` making each.
template <typename Record, typename Items, typename Fill>
matrix::unique_array objectColumn(const Items& items, Fill fill) {
    matrix::unique_array array = omCreateObjsysMatrix(std::size(items), 1, Record::getClassID());
    std::size_t index = 0;
    for (const auto& item : items) {
        omSetArrayElement(array.get(), index++, fill(item));
    }
    return array;
}

template <typename Names> ustring joinNames(const Names& named) {
    ustring out;
    for (const auto& item : named) {
        if (!out.empty()) {
            out += u',';
        }
        if constexpr (requires { item->getName(); }) {
            out += item->getName();
        } else {
            out += item.get().getName();
        }
    }
    return out;
}

objsys::COSInterfacePtr unitObject(const UnitBase& entity) {
    auto [object, record] = construct<CvUnitObj, 4>(
        {entity.getName(), entity.getSymbol(), entity.getAsciiSymbol(), entity.getDisplayString()});
    const ustring systems = joinNames(entity.getUnitSystems());
    record->setUnitSystem(&systems);
    const ustring display(entity.getDisplay());
    record->setDisplay(&display);
    record->setConversionFactor(&entity.getConversionFactor().first);
    record->setConversionType(static_cast<std::int32_t>(entity.getConversionFactor().second));
    if (const auto* unit = dynamic_cast<const Unit*>(&entity)) {
        const ustring prefixes = joinNames(unit->getUnitPrefixes());
        record->setUnitPrefixes(&prefixes);
        record->setSubunit(&unit->getSubUnit());
        record->setIsCommonSubunit(unit->isCommonSubUnit());
        if (const UnitBase* quantity = unit->getPhysicalQuantity()) {
            const ustring name(quantity->getName());
            record->setPhysicalQuantity(&name);
        }
    }
    return object;
}

objsys::COSInterfacePtr quantityObject(const UnitBase& entity) {
    auto [object, record] =
        construct<CvPhysicalQuantityObj, 2>({entity.getName(), entity.getDisplayString()});
    const ustring display(entity.getDisplay());
    record->setDisplay(&display);
    return object;
}

template <typename Entities>
matrix::unique_array entityArray(const Entities& entities, UnitBase::UnitType type) {
    if (type == UnitBase::UNIT_TYPE_UNIT) {
        return objectColumn<CvUnitObj>(entities, [](const auto& e) { return unitObject(e); });
    }
    return objectColumn<CvPhysicalQuantityObj>(entities,
                                               [](const auto& e) { return quantityObject(e); });
}

objsys::COSInterfacePtr provenanceObject(const UnitProvenance& provenance) {
    auto [object, record] = construct<CvUnitProvenanceObj, 0>({});
    ustring urls;
    for (const ustring& url : provenance.getURLs()) {
        urls += (urls.empty() ? u"" : u",") + url;
    }
    record->setProvenanceID(&provenance.getProvenanceId());
    record->setTitle(&provenance.getTitle());
    record->setSubtitle(&provenance.getSubtitle());
    record->setOrganization(&provenance.getOrganization());
    record->setOrganizationFullName(&provenance.getOrganizationFullName());
    record->setURLs(&urls);
    record->setEdition(&provenance.getEdition());
    record->setYear(provenance.getYear());
    return object;
}

} // namespace

matrix::unique_array unitObjArray(const UnitDBSet::UnitSet& entities, UnitBase::UnitType type) {
    return entityArray(entities, type);
}

matrix::unique_array
unitObjArray(const std::vector<std::reference_wrapper<const UnitBase>>& entities,
             UnitBase::UnitType type) {
    return entityArray(entities, type);
}

matrix::unique_array unitPrefixArray(const UnitDBSet::PrefixSet& prefixes) {
    return objectColumn<CvUnitPrefixObj>(prefixes, [](const UnitPrefix& prefix) {
        auto [object, record] = construct<CvUnitPrefixObj, 3>(
            {prefix.getName(), prefix.getSymbol(), prefix.getAsciiSymbol()});
        const ustring systems = joinNames(prefix.getUnitSystems());
        record->setUnitSystem(&systems);
        const ustring display(prefix.getDisplay());
        record->setDisplay(&display);
        record->setConversionFactor(&prefix.getConversionFactor().first);
        record->setConversionType(static_cast<std::int32_t>(prefix.getConversionFactor().second));
        return object;
    });
}

matrix::unique_array unitSystemArray(const std::vector<std::shared_ptr<UnitSystem>>& systems) {
    return objectColumn<CvUnitSystemObj>(systems, [](const std::shared_ptr<UnitSystem>& system) {
        auto [object, record] = construct<CvUnitSystemObj, 0>({});
        record->setName(&system->getName());
        return object;
    });
}

matrix::unique_array unitProvenanceArray(const UnitDBSet::ProvenanceMap& provenances) {
    std::vector<const UnitProvenance*> ordered;
    for (const auto& [id, provenance] : provenances) {
        ordered.push_back(&provenance);
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
        return a->getProvenanceId() < b->getProvenanceId();
    });
    return objectColumn<CvUnitProvenanceObj>(
        ordered, [](const UnitProvenance* p) { return provenanceObject(*p); });
}

matrix::unique_array unitProvenanceArray(const UnitDBSet::ProvenanceList& provenances) {
    return objectColumn<CvUnitProvenanceObj>(
        provenances, [](const UnitProvenance& p) { return provenanceObject(p); });
}

ustring getNameForUnitObj(const hxArray* array) {
    const CvUnitObj* record = CvUnitObj::getObjsysObject(array);
    return record == nullptr ? ustring() : record->getName();
}

ustring getNameForPhysicalQuantityObj(const hxArray* array) {
    const CvPhysicalQuantityObj* record = CvPhysicalQuantityObj::getObjsysObject(array);
    return record == nullptr ? ustring() : record->getName();
}

} // namespace CvUnitSys::HxArrayConversion
