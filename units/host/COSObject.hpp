#pragma once

#include "units/host/COSClass.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/MatrixArrays.hpp"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace objsys {

// One object: its class and the record the class-info allocated for it,
// released when the last handle goes.
class COSObject {
public:
    explicit COSObject(const COSClass& cls);
    ~COSObject();
    COSObject(const COSObject&) = delete;
    COSObject& operator=(const COSObject&) = delete;

    const COSClass& getClass() const { return *class_; }
    void* getRecord() const { return record_; }

private:
    const COSClass* class_;
    void* record_;
};

struct COSDataTypePtrHelper {
    // The record behind the object; null for a null handle or an object of
    // another class than Record's.
    template <typename Record> static Record* getObject(const COSInterfacePtr& object) {
        if (object == nullptr || object->getClass().getClassID() != Record::getClassID()) {
            return nullptr;
        }
        return static_cast<Record*>(object->getRecord());
    }
};

// A 1-by-1 array holding the object.
matrix::unique_array wrapObject(COSInterfacePtr object);

} // namespace objsys

const objsys::COSClient* COSGetPublicClient();

// A new object of the class, made by the class's constructor from the
// arguments, in a 1-by-1 array. Loads the class on first use; COSError for a
// class nobody registered, one without constructor, or arguments the
// constructor does not take.
matrix::unique_array omConstructObjectWithClient(objsys::ClassID classId, std::size_t numArgs,
                                                 const hxArray* const* args,
                                                 const objsys::COSClient* client);
// A rows-by-columns array of null handles of the class, to be filled with
// omSetArrayElement; COSError for a class nobody registered.
matrix::unique_array omCreateObjsysMatrix(std::size_t rows, std::size_t columns,
                                          objsys::ClassID classId);
objsys::COSInterfacePtr omGetArrayElement(const hxArray* array, std::size_t index);
// COSError for an object of another class than the array's.
void omSetArrayElement(hxArray* array, std::size_t index, objsys::COSInterfacePtr object);

// What the scripting language does with an object by name: read and write
// its properties, and call a method, the object being the first input.
// COSError for an unknown name, a value of the wrong type, or a first input
// that is not a single object.
matrix::unique_array omGetProperty(const hxArray* object, std::string_view property);
void omSetProperty(const hxArray* object, std::string_view property, const hxArray* value);
std::vector<matrix::unique_array> omCallMethod(std::string_view method,
                                               std::span<const hxArray* const> args);
