#include "units/host/COSType.hpp"

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace objsys {

namespace {

bool isScalarNumber(const hxArray& value) {
    return value.getNumberOfElements() == 1 && !value.isComplex() &&
           (value.getClassID() == hxClassID::Double || value.getClassID() == hxClassID::Int32 ||
            value.getClassID() == hxClassID::Logical);
}

bool isWholeInt32(double number) {
    return std::trunc(number) == number &&
           number >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
           number <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

struct Repository {
    Repository() {
        using Kind = COSType::Kind;
        for (const auto& [name, kind] : {std::pair{"unicodeString", Kind::UnicodeString},
                                         {"logical scalar", Kind::Logical},
                                         {"int32 scalar", Kind::Int32},
                                         {"any", Kind::Any},
                                         {"cell", Kind::Cell}}) {
            const auto id = internal::makeInterned(name);
            types.emplace(id, std::make_unique<COSType>(kind, id));
        }
    }

    std::shared_mutex lock;
    std::unordered_map<internal::Interned, std::unique_ptr<COSType>> types;
};

Repository& repository() {
    static Repository instance;
    return instance;
}

} // namespace

bool COSType::accepts(const hxArray& value) const {
    switch (kind_) {
    case Kind::UnicodeString:
        return value.getClassID() == hxClassID::Char || hxIsEmpty(&value);
    case Kind::Logical:
        return isScalarNumber(value);
    case Kind::Int32:
        return isScalarNumber(value) && isWholeInt32(value.getReal(0));
    case Kind::Any:
        return true;
    case Kind::Cell:
        return value.getClassID() == hxClassID::Cell;
    case Kind::Object:
        return value.getClassID() == hxClassID::Object && value.getObjectClass() == name_;
    }
    return false;
}

const COSType* COSTypeRepository::getType(internal::Interned name) {
    Repository& r = repository();
    std::shared_lock guard(r.lock);
    const auto found = r.types.find(name);
    return found == r.types.end() ? nullptr : found->second.get();
}

void COSTypeRepository::addClassType(ClassID classId) {
    Repository& r = repository();
    std::unique_lock guard(r.lock);
    r.types.try_emplace(classId, std::make_unique<COSType>(COSType::Kind::Object, classId));
}

std::optional<ustring> textValue(const hxArray* value) {
    if (value == nullptr || value->getClassID() != hxClassID::Char) {
        return std::nullopt;
    }
    return value->getString();
}

bool logicalValue(const hxArray& value) {
    return value.getReal(0) != 0.0;
}

std::int32_t int32Value(const hxArray& value) {
    return static_cast<std::int32_t>(value.getReal(0));
}

matrix::unique_array makeLogicalScalar(bool value) {
    auto array = hxArray::makeNumeric({1, 1}, hxClassID::Logical, hxComplexity::Real);
    array->setLogical(0, value);
    return array;
}

matrix::unique_array makeInt32Scalar(std::int32_t value) {
    auto array = hxArray::makeNumeric({1, 1}, hxClassID::Int32, hxComplexity::Real);
    array->setReal(0, value);
    return array;
}

matrix::unique_array makeText(const ustring& text) {
    return matrix::create(text.data(), text.size());
}

} // namespace objsys
