#pragma once

#include <memory>
#include <string>
#include <vector>

namespace CvUnitSys {

// The kind of a model element. Each kind has exactly one instance, so kinds
// compare by address.
class MetaClass {
public:
    explicit MetaClass(std::string name) : name_(std::move(name)) {}
    MetaClass(const MetaClass&) = delete;
    MetaClass& operator=(const MetaClass&) = delete;

    const std::string& getName() const { return name_; }

private:
    std::string name_;
};

// An element that a model can hold at its top level.
class ModelElement {
public:
    virtual ~ModelElement() = default;
    virtual const MetaClass& getMetaClass() const = 0;
};

// An in-memory model of the platform's model framework. Copies share the
// elements, so a loader can hand a model out by value and the elements live
// until the last copy goes.
class Model {
public:
    class Impl {
    public:
        const std::vector<std::shared_ptr<const ModelElement>>& getTopLevelElements() const {
            return elements_;
        }
        void addTopLevelElement(std::shared_ptr<const ModelElement> element) {
            elements_.push_back(std::move(element));
        }

    private:
        std::vector<std::shared_ptr<const ModelElement>> elements_;
    };

    Model() : impl_(std::make_shared<Impl>()) {}

    const Impl& getImpl() const { return *impl_; }
    Impl& getImpl() { return *impl_; }

    // The first top-level element of kind T (recognised by T::metaClass()), or null.
    template <typename T> const T* findTopLevelElement() const {
        for (const auto& element : impl_->getTopLevelElements()) {
            if (&element->getMetaClass() == &T::metaClass()) {
                return static_cast<const T*>(element.get());
            }
        }
        return nullptr;
    }

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace CvUnitSys
