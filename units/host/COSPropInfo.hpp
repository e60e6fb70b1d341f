#pragma once

#include "units/host/COSType.hpp"
#include "units/host/MatrixArrays.hpp"

#include <string>

namespace objsys {

// A property of a class: its name, its type, and how it reads and writes the
// record behind an object.
class COSPropInfo {
public:
    COSPropInfo(std::string name, const COSType& type) : name_(std::move(name)), type_(&type) {}
    virtual ~COSPropInfo() = default;
    COSPropInfo(const COSPropInfo&) = delete;
    COSPropInfo& operator=(const COSPropInfo&) = delete;

    const std::string& getName() const { return name_; }
    const COSType& getType() const { return *type_; }

    virtual matrix::unique_array getValue(const void* record) const = 0;
    // `value` is null or one the property's type accepts.
    virtual void setValue(void* record, const hxArray* value) const = 0;

private:
    std::string name_;
    const COSType* type_;
};

} // namespace objsys
