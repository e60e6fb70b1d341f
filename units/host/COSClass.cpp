#include "units/host/COSClass.hpp"

#include "units/host/COSError.hpp"
#include "units/host/COSObject.hpp"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace objsys {

namespace {

struct RegisteredClass {
    const COSClassInfo* info;
    std::unique_ptr<COSClass> loaded;
};

// Recursive: a class that loads may look up others.
struct ClassRegistry {
    std::recursive_mutex lock;
    std::unordered_map<internal::Interned, RegisteredClass> classes;
};

ClassRegistry& registry() {
    static ClassRegistry instance;
    return instance;
}

template <typename Items> auto findNamed(const Items& items, std::string_view name) {
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const auto& item) { return item->getName() == name; });
    return found == items.end() ? nullptr : found->get();
}

} // namespace

COSMethod::COSMethod(std::string name, std::unique_ptr<COSMethodSignature> signature,
                     Function function)
    : name_(std::move(name)), signature_(std::move(signature)), function_(std::move(function)) {}

std::vector<matrix::unique_array>
COSMethod::invoke(std::span<const hxArray* const> arguments) const {
    const auto& types = signature_->getArgumentTypes();
    if (arguments.size() > types.size()) {
        throw COSError("too many inputs to " + name_);
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != nullptr && !types[i]->accepts(*arguments[i])) {
            throw COSError("input " + std::to_string(i + 1) + " of " + name_ + " must be " +
                           types[i]->getName().str());
        }
    }
    return function_(arguments);
}

COSClass* COSClass::getClass(internal::Interned classPath) {
    ClassRegistry& r = registry();
    std::lock_guard guard(r.lock);
    const auto found = r.classes.find(classPath);
    return found == r.classes.end() ? nullptr : found->second.loaded.get();
}

COSClass* COSClass::loadClass(internal::Interned classPath) {
    ClassRegistry& r = registry();
    std::lock_guard guard(r.lock);
    const auto found = r.classes.find(classPath);
    if (found == r.classes.end()) {
        return nullptr;
    }
    RegisteredClass& entry = found->second;
    if (entry.loaded == nullptr) {
        auto cls = std::make_unique<COSClass>(classPath, *entry.info);
        entry.info->initializeClass(cls.get(), COSGetPublicClient());
        entry.loaded = std::move(cls);
    }
    return entry.loaded.get();
}

void COSClass::throwPropertyAddedWithNonexistingTypeError(std::string_view className,
                                                          std::string_view property,
                                                          std::string_view type) {
    throw COSError("property " + std::string(property) + " of class " + std::string(className) +
                   " has the unknown type " + std::string(type));
}

COSClass::COSClass(ClassID classId, const COSClassInfo& info) : classId_(classId), info_(&info) {}

COSClass::~COSClass() = default;

void COSClass::addProperty(std::unique_ptr<COSPropInfo> property) {
    if (findProperty(property->getName()) != nullptr) {
        throw COSError("class " + getName() + " already has a property " + property->getName());
    }
    properties_.push_back(std::move(property));
}

void COSClass::addMethod(std::string name, std::unique_ptr<COSMethodSignature> signature,
                         COSMethod::Function function) {
    if (findMethod(name) != nullptr) {
        throw COSError("class " + getName() + " already has a method " + name);
    }
    methods_.push_back(
        std::make_unique<COSMethod>(std::move(name), std::move(signature), std::move(function)));
}

const COSPropInfo* COSClass::findProperty(std::string_view name) const {
    return findNamed(properties_, name);
}

const COSMethod* COSClass::findMethod(std::string_view name) const {
    return findNamed(methods_, name);
}

COSInterfacePtr COSClass::newInstance() const {
    return std::make_shared<COSObject>(*this);
}

void COSNamespace::registerClass(const COSClassInfo* info, int, int) {
    const std::string& path = info->getClassPath();
    if (!path.starts_with(name_ + ".") || path.size() == name_.size() + 1) {
        throw COSError("class " + path + " is not in namespace " + name_);
    }
    const auto classId = internal::makeInterned(path);
    ClassRegistry& r = registry();
    std::lock_guard guard(r.lock);
    const auto [entry, added] = r.classes.try_emplace(classId, RegisteredClass{info, nullptr});
    if (!added && entry->second.info != info) {
        throw COSError("class " + path + " is already registered");
    }
    COSTypeRepository::addClassType(classId);
}

} // namespace objsys

objsys::COSNamespace* cvsvGetCorvaneCOSNamespace() {
    static objsys::COSNamespace corvane("Corvane");
    return &corvane;
}
