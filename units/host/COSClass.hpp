#pragma once

#include "units/host/COSHandles.hpp"
#include "units/host/COSMethodSignature.hpp"
#include "units/host/COSPropInfo.hpp"
#include "units/host/MatrixArrays.hpp"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The host's object system: namespaces in which classes are registered by
// full path, classes loaded on first use with their constructor, methods and
// typed properties, and the library-side records behind objects. Registration
// and loading are safe from any thread; a loaded class never goes away.
namespace objsys {

class COSClass;

// Who constructs objects and loads classes; every object of this library is
// made for the public client.
class COSClient {
public:
    explicit COSClient(std::string name) : name_(std::move(name)) {}
    const std::string& getName() const { return name_; }

private:
    std::string name_;
};

// What a library tells the object system about one of its classes.
class COSClassInfo {
public:
    virtual ~COSClassInfo() = default;

    virtual const std::string& getClassPath() const = 0;
    // A new record with every field at its default, and its release.
    virtual void* allocateInstance() const = 0;
    virtual void deallocateInstance(void* record) const = 0;
    // Adds the constructor, methods and properties when the class loads.
    virtual void initializeClass(COSClass* cls, const COSClient* client) const = 0;
};

class COSMethod {
public:
    // Given the inputs present (fewer than the signature's when the caller
    // leaves trailing ones out), returns the results.
    using Function =
        std::function<std::vector<matrix::unique_array>(std::span<const hxArray* const> arguments)>;

    COSMethod(std::string name, std::unique_ptr<COSMethodSignature> signature, Function function);

    const std::string& getName() const { return name_; }
    const COSMethodSignature& getSignature() const { return *signature_; }
    // COSError when there are more inputs than the signature has or an input
    // is not of its type; a null input counts as left out.
    std::vector<matrix::unique_array> invoke(std::span<const hxArray* const> arguments) const;

private:
    std::string name_;
    std::unique_ptr<COSMethodSignature> signature_;
    Function function_;
};

class COSClass {
public:
    // The loaded class of that path; null while it is not loaded.
    static COSClass* getClass(internal::Interned classPath);
    // Loads the registered class of that path if needed; null when no
    // namespace registered it.
    static COSClass* loadClass(internal::Interned classPath);
    [[noreturn]] static void throwPropertyAddedWithNonexistingTypeError(std::string_view className,
                                                                        std::string_view property,
                                                                        std::string_view type);

    COSClass(ClassID classId, const COSClassInfo& info);
    virtual ~COSClass();
    COSClass(const COSClass&) = delete;
    COSClass& operator=(const COSClass&) = delete;

    virtual ClassID getClassID() const { return classId_; }
    const std::string& getName() const { return classId_.str(); }
    const COSClassInfo& getClassInfo() const { return *info_; }

    // COSError for a name the class already has.
    virtual void addProperty(std::unique_ptr<COSPropInfo> property);
    // The constructor is the method named after the class's full path.
    virtual void addMethod(std::string name, std::unique_ptr<COSMethodSignature> signature,
                           COSMethod::Function function);

    const COSPropInfo* findProperty(std::string_view name) const;
    const std::vector<std::unique_ptr<COSPropInfo>>& getProperties() const { return properties_; }
    const COSMethod* findMethod(std::string_view name) const;
    const std::vector<std::unique_ptr<COSMethod>>& getMethods() const { return methods_; }

    // A new object of the class with a fresh record.
    COSInterfacePtr newInstance() const;

private:
    ClassID classId_;
    const COSClassInfo* info_;
    std::vector<std::unique_ptr<COSPropInfo>> properties_;
    std::vector<std::unique_ptr<COSMethod>> methods_;
};

class COSNamespace {
public:
    explicit COSNamespace(std::string name) : name_(std::move(name)) {}
    virtual ~COSNamespace() = default;
    COSNamespace(const COSNamespace&) = delete;
    COSNamespace& operator=(const COSNamespace&) = delete;

    const std::string& getName() const { return name_; }
    // Makes the class known under its full path, which must lie in this
    // namespace; registering the same class-info again changes nothing, and
    // another class-info for a taken path is a COSError. The two integers are
    // the host's registration options, which this object system has no use for.
    virtual void registerClass(const COSClassInfo* info, int, int);

private:
    std::string name_;
};

} // namespace objsys

// The namespace "Corvane", into which the library registers its classes.
objsys::COSNamespace* cvsvGetCorvaneCOSNamespace();
