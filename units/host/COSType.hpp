#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/MatrixArrays.hpp"

#include <cstdint>
#include <optional>

// The types of properties, arguments and results of the object system, and
// the conversions between host arrays and the values those types stand for.
namespace objsys {

class COSType {
public:
    enum class Kind { UnicodeString, Logical, Int32, Any, Cell, Object };

    COSType(Kind kind, internal::Interned name) : kind_(kind), name_(name) {}

    Kind getKind() const { return kind_; }
    // The type's name; for an object type, its class path.
    internal::Interned getName() const { return name_; }

    // Whether a value the scripting language passes fits the type. An empty
    // array stands for "no value" wherever a text is expected; numbers fit
    // logical and int32 scalars when they are scalars, and int32 ones only
    // when they are whole and in range.
    bool accepts(const hxArray& value) const;

private:
    Kind kind_;
    internal::Interned name_;
};

class COSTypeRepository {
public:
    // "unicodeString", "logical scalar", "int32 scalar", "any", "cell", or the
    // path of a registered class; null for any other name.
    static const COSType* getType(internal::Interned name);
    // Makes the class path known as an object type; done by class registration.
    static void addClassType(ClassID classId);
};

// Values of arrays that the matching type accepted. A text is absent for a
// null array and for an empty non-character one.
std::optional<ustring> textValue(const hxArray* value);
bool logicalValue(const hxArray& value);
std::int32_t int32Value(const hxArray& value);

matrix::unique_array makeLogicalScalar(bool value);
matrix::unique_array makeInt32Scalar(std::int32_t value);
matrix::unique_array makeText(const ustring& text);

} // namespace objsys
