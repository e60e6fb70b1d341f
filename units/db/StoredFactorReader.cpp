#include "units/db/StoredFactorReader.hpp"

#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/foundation/ConversionFactorType.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/TextServices.hpp"

#include <stdexcept>
#include <string>
#include <vector>

namespace CvUnitSys {

namespace {

template <typename Read> bool allRead(const std::vector<ustring>& fields, Read read) {
    try {
        for (const ustring& field : fields) {
            read(field);
        }
        return true;
    } catch (const NumberConversionError&) {
        return false;
    }
}

bool isWellFormed(const ustring& text, ConversionFactorType type) {
    const std::vector<ustring> fields = TextServices::split(text, u',');
    const auto integers = [&] { return allRead(fields, TextServices::toInt64); };
    const auto doubles = [&] { return allRead(fields, TextServices::toDouble); };
    switch (type) {
    case ConversionFactorType::Double:
    case ConversionFactorType::DoubleReciprocal:
        return fields.size() == 1 && doubles();
    case ConversionFactorType::Rational:
        return fields.size() == 2 && integers();
    case ConversionFactorType::ScaledRational:
        return (fields.size() == 2 || fields.size() == 3) && integers();
    case ConversionFactorType::RationalAffine:
        return fields.size() == 4 && integers();
    case ConversionFactorType::DoubleAffine:
        return fields.size() == 2 && doubles();
    case ConversionFactorType::Composite:
        // Its structure is checked by the factory, which throws on a bad one.
        return true;
    }
    return false;
}

[[noreturn]] void refuse(const ustring& value, const char16_t* field) {
    throwUnitMsg("UnitDatabaseFileLoadFieldError", {value, ustring(field)});
}

} // namespace

ConversionFactor readStoredFactor(const ustring& text, std::int64_t type) {
    if (type < static_cast<int>(ConversionFactorType::Double) ||
        type > static_cast<int>(ConversionFactorType::Composite)) {
        refuse(TextServices::fromLatin1(std::to_string(type)), u"FactorType");
    }
    const auto kind = static_cast<ConversionFactorType>(type);
    if (!isWellFormed(text, kind)) {
        refuse(text, u"ConversionFactorStr");
    }
    try {
        return ConversionFactorFactory::createConversionFactor(text, kind);
    } catch (const std::exception&) {
        // Zero denominators, fractions out of range, malformed composites.
        refuse(text, u"ConversionFactorStr");
    }
}

} // namespace CvUnitSys
