#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSClass.hpp"
#include "units/host/COSError.hpp"
#include "units/host/COSObject.hpp"
#include "units/host/COSType.hpp"

#include <atomic>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

// What the scripting classes share: the class-info base that allocates their
// records and remembers the loaded class, and the handling of text inputs.
namespace CvUnitSys {

// A text value as the records store it: null stores the empty text.
inline ustring textOrEmpty(const ustring* text) {
    return text == nullptr ? ustring() : *text;
}

// Throws "NonAsciiSymbolUnsupported" with the text when a code unit is 128 or more.
void checkAsciiSymbol(const ustring* text);

// The type of that name; a COSError when the object system does not know it.
const objsys::COSType& requireType(const char* name);

// The text of input `index`; absent when the input is left out or not a text.
inline std::optional<ustring> textInput(std::span<const hxArray* const> inputs, std::size_t index) {
    return index < inputs.size() ? objsys::textValue(inputs[index]) : std::nullopt;
}

// Class-info of a scripting class. `Derived` names the class (static
// `shortName` and `fullPath`) and adds its members in `addMembers`; `Record`
// holds the property values of one object.
template <typename Derived, typename Record>
class ScriptingClassInfo : public objsys::COSClassInfo {
public:
    static const Derived& getClassInfo() {
        static const Derived info;
        return info;
    }
    static void registerClass(objsys::COSNamespace* ns) {
        ns->registerClass(&getClassInfo(), 0, 2);
    }
    static objsys::ClassID getClassID() {
        const objsys::COSClass* loaded = classObject_.load();
        return loaded != nullptr ? loaded->getClassID()
                                 : objsys::internal::makeInterned(Derived::fullPath);
    }

    const std::string& getClassPath() const override {
        static const std::string path(Derived::fullPath);
        return path;
    }
    void* allocateInstance() const override { return new Record(); }
    void deallocateInstance(void* record) const override { delete static_cast<Record*>(record); }
    void initializeClass(objsys::COSClass* cls, const objsys::COSClient*) const override {
        Derived::addMembers(*cls);
        classObject_ = cls;
    }

    // The record behind the single object in `array`; null when the array
    // holds no object of this class.
    static Record* recordOf(const hxArray* array) {
        if (array == nullptr || array->getClassID() != hxClassID::Object ||
            array->getNumberOfElements() == 0) {
            return nullptr;
        }
        return objsys::COSDataTypePtrHelper::getObject<Record>(array->getObject(0));
    }

protected:
    // The constructor: `fill` stores the text inputs into the new record.
    template <typename Fill>
    static void addConstructor(objsys::COSClass& cls, std::size_t numTexts, Fill fill) {
        auto signature = objsys::COSMethodSignature::createMethodSignature();
        for (std::size_t i = 0; i < numTexts; ++i) {
            signature->addArgumentType(requireType("unicodeString"));
        }
        signature->addResultType(requireType(Derived::fullPath));
        cls.addMethod(cls.getName(), std::move(signature),
                      [&cls, fill](std::span<const hxArray* const> inputs) {
                          objsys::COSInterfacePtr object = cls.newInstance();
                          fill(*static_cast<Record*>(object->getRecord()), inputs);
                          std::vector<matrix::unique_array> results;
                          results.push_back(objsys::wrapObject(std::move(object)));
                          return results;
                      });
    }

    // "addToDatabase": takes the object, returns nothing.
    static void addAddToDatabase(objsys::COSClass& cls) {
        auto signature = objsys::COSMethodSignature::createMethodSignature();
        signature->addArgumentType(requireType(Derived::fullPath));
        cls.addMethod("addToDatabase", std::move(signature),
                      [](std::span<const hxArray* const> inputs) {
                          const Record* record = recordOf(inputs.empty() ? nullptr : inputs[0]);
                          if (record == nullptr) {
                              throw objsys::COSError(std::string("addToDatabase needs a ") +
                                                     Derived::fullPath + " object");
                          }
                          record->addToDatabase();
                          return std::vector<matrix::unique_array>();
                      });
    }

private:
    static inline std::atomic<const objsys::COSClass*> classObject_{nullptr};
};

// Stores a text input through a record's setter.
template <typename Record, typename Owner>
void setFromInput(Record& record, void (Owner::*set)(const ustring*),
                  const std::optional<ustring>& text) {
    (record.*set)(text ? &*text : nullptr);
}

} // namespace CvUnitSys
