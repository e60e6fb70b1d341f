#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSClass.hpp"
#include "units/host/COSPropInfo.hpp"
#include "units/host/COSType.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>

// The properties of the scripting classes, each read and written through the
// getter and setter of the record behind an object.
namespace CvUnitSys {

template <typename Record, typename Value, typename Get, typename Set>
class RecordProperty final : public objsys::COSPropInfo {
public:
    RecordProperty(std::string name, const objsys::COSType& type, Get get, Set set)
        : COSPropInfo(std::move(name), type), get_(get), set_(set) {}

    matrix::unique_array getValue(const void* record) const override {
        const auto& value = (static_cast<const Record*>(record)->*get_)();
        if constexpr (std::is_same_v<Value, ustring>) {
            return objsys::makeText(value);
        } else if constexpr (std::is_same_v<Value, bool>) {
            return objsys::makeLogicalScalar(value);
        } else {
            return objsys::makeInt32Scalar(value);
        }
    }

    void setValue(void* record, const hxArray* value) const override {
        auto* target = static_cast<Record*>(record);
        if constexpr (std::is_same_v<Value, ustring>) {
            const std::optional<ustring> text = objsys::textValue(value);
            (target->*set_)(text ? &*text : nullptr);
        } else if constexpr (std::is_same_v<Value, bool>) {
            (target->*set_)(value != nullptr && objsys::logicalValue(*value));
        } else {
            (target->*set_)(value == nullptr ? 0 : objsys::int32Value(*value));
        }
    }

private:
    Get get_;
    Set set_;
};

// The type of that name, or the object system's error for a property added
// with a type it does not know.
inline const objsys::COSType& propertyType(const objsys::COSClass& cls, const char* property,
                                           const char* typeName) {
    const objsys::COSType* type =
        objsys::COSTypeRepository::getType(objsys::internal::makeInterned(typeName));
    if (type == nullptr) {
        objsys::COSClass::throwPropertyAddedWithNonexistingTypeError(cls.getName(), property,
                                                                     typeName);
    }
    return *type;
}

// "unicodeString": the setter receives null for a value not given.
template <typename Record>
void addTextProperty(objsys::COSClass& cls, const char* name, const ustring& (Record::*get)() const,
                     void (Record::*set)(const ustring*)) {
    cls.addProperty(std::make_unique<RecordProperty<Record, ustring, decltype(get), decltype(set)>>(
        name, propertyType(cls, name, "unicodeString"), get, set));
}

template <typename Record>
void addLogicalProperty(objsys::COSClass& cls, const char* name, bool (Record::*get)() const,
                        void (Record::*set)(bool)) {
    cls.addProperty(std::make_unique<RecordProperty<Record, bool, decltype(get), decltype(set)>>(
        name, propertyType(cls, name, "logical scalar"), get, set));
}

template <typename Record>
void addInt32Property(objsys::COSClass& cls, const char* name, std::int32_t (Record::*get)() const,
                      void (Record::*set)(std::int32_t)) {
    cls.addProperty(
        std::make_unique<RecordProperty<Record, std::int32_t, decltype(get), decltype(set)>>(
            name, propertyType(cls, name, "int32 scalar"), get, set));
}

} // namespace CvUnitSys
