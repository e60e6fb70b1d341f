#include "units/host/LibraryLifecycle.hpp"

#include "units/host/COSClass.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace CvUnitSys;

const std::vector<std::string> classPaths = {
    "Corvane.Unit",       "Corvane.PhysicalQuantity", "Corvane.UnitPrefix",
    "Corvane.UnitSystem", "Corvane.UnitQueryClient",  "Corvane.UnitProvenance"};

// Records what is registered in it instead of registering.
class RecordingNamespace : public objsys::COSNamespace {
public:
    RecordingNamespace() : COSNamespace("Corvane") {}
    void registerClass(const objsys::COSClassInfo* info, int, int) override {
        paths.push_back(info->getClassPath());
    }
    std::vector<std::string> paths;
};

TEST(LibraryLifecycle, RegistersTheClassesInOrder) {
    RecordingNamespace ns;
    registerCvUnitsClasses(&ns);
    EXPECT_EQ(ns.paths, classPaths);
}

} // namespace
