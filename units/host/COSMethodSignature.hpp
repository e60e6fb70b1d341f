#pragma once

#include "units/host/COSType.hpp"

#include <memory>
#include <vector>

namespace objsys {

// The types of a method's inputs and results, in order.
class COSMethodSignature {
public:
    static std::unique_ptr<COSMethodSignature> createMethodSignature() {
        return std::make_unique<COSMethodSignature>();
    }

    void addArgumentType(const COSType& type) { arguments_.push_back(&type); }
    void addResultType(const COSType& type) { results_.push_back(&type); }
    const std::vector<const COSType*>& getArgumentTypes() const { return arguments_; }
    const std::vector<const COSType*>& getResultTypes() const { return results_; }

private:
    std::vector<const COSType*> arguments_;
    std::vector<const COSType*> results_;
};

} // namespace objsys
