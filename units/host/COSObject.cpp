#include "units/host/COSObject.hpp"

#include "units/host/COSError.hpp"

namespace objsys {

COSObject::COSObject(const COSClass& cls)
    : class_(&cls), record_(cls.getClassInfo().allocateInstance()) {}

COSObject::~COSObject() {
    class_->getClassInfo().deallocateInstance(record_);
}

matrix::unique_array wrapObject(COSInterfacePtr object) {
    auto array = hxArray::makeObjects({1, 1}, object->getClass().getClassID());
    array->setObject(0, std::move(object));
    return array;
}

} // namespace objsys

namespace {

using objsys::COSError;

objsys::COSClass& loadedClass(objsys::ClassID classId) {
    objsys::COSClass* cls = objsys::COSClass::loadClass(classId);
    if (cls == nullptr) {
        throw COSError("no class " + classId.str());
    }
    return *cls;
}

// The object that a scripting call names as its subject.
const objsys::COSObject& subject(const hxArray* object) {
    if (object == nullptr || object->getClassID() != hxClassID::Object ||
        object->getNumberOfElements() != 1 || object->getObject(0) == nullptr) {
        throw COSError("not a single object");
    }
    return *object->getObject(0);
}

const objsys::COSPropInfo& propertyOf(const objsys::COSObject& object, std::string_view name) {
    const objsys::COSPropInfo* property = object.getClass().findProperty(name);
    if (property == nullptr) {
        throw COSError("class " + object.getClass().getName() + " has no property " +
                       std::string(name));
    }
    return *property;
}

} // namespace

const objsys::COSClient* COSGetPublicClient() {
    static const objsys::COSClient client("public");
    return &client;
}

matrix::unique_array omConstructObjectWithClient(objsys::ClassID classId, std::size_t numArgs,
                                                 const hxArray* const* args,
                                                 const objsys::COSClient*) {
    const objsys::COSClass& cls = loadedClass(classId);
    const objsys::COSMethod* constructor = cls.findMethod(cls.getName());
    if (constructor == nullptr) {
        throw COSError("class " + cls.getName() + " has no constructor");
    }
    auto results = constructor->invoke({args, numArgs});
    return std::move(results.at(0));
}

matrix::unique_array omCreateObjsysMatrix(std::size_t rows, std::size_t columns,
                                          objsys::ClassID classId) {
    return hxArray::makeObjects({rows, columns}, loadedClass(classId).getClassID());
}

objsys::COSInterfacePtr omGetArrayElement(const hxArray* array, std::size_t index) {
    return array->getObject(index);
}

void omSetArrayElement(hxArray* array, std::size_t index, objsys::COSInterfacePtr object) {
    if (object != nullptr && object->getClass().getClassID() != array->getObjectClass()) {
        throw COSError("an object of class " + object->getClass().getName() +
                       " cannot be stored in an array of " + array->getObjectClass().str());
    }
    array->setObject(index, std::move(object));
}

matrix::unique_array omGetProperty(const hxArray* object, std::string_view property) {
    const objsys::COSObject& target = subject(object);
    return propertyOf(target, property).getValue(target.getRecord());
}

void omSetProperty(const hxArray* object, std::string_view property, const hxArray* value) {
    const objsys::COSObject& target = subject(object);
    const objsys::COSPropInfo& info = propertyOf(target, property);
    if (value != nullptr && !info.getType().accepts(*value)) {
        throw COSError("property " + info.getName() + " must be " + info.getType().getName().str());
    }
    info.setValue(target.getRecord(), value);
}

std::vector<matrix::unique_array> omCallMethod(std::string_view method,
                                               std::span<const hxArray* const> args) {
    const objsys::COSClass& cls = subject(args.empty() ? nullptr : args[0]).getClass();
    const objsys::COSMethod* found = cls.findMethod(method);
    if (found == nullptr) {
        throw COSError("class " + cls.getName() + " has no method " + std::string(method));
    }
    return found->invoke(args);
}
