#include "units/host/COSClass.hpp"
#include "units/host/Interned.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// The host finds the entry points by name; threads racing to start the
// library leave every class registered, and starting again changes nothing.
TEST(LibraryLifecycle, EntryPointsAreExportedAndStartOnceFromManyThreads) {
    const std::vector<std::string> classPaths = {
        "Corvane.Unit",       "Corvane.PhysicalQuantity", "Corvane.UnitPrefix",
        "Corvane.UnitSystem", "Corvane.UnitQueryClient",  "Corvane.UnitProvenance"};
    using EntryPoint = void (*)();
    const auto initialize =
        reinterpret_cast<EntryPoint>(dlsym(RTLD_DEFAULT, "HNInitialize_cv_units"));
    const auto terminate =
        reinterpret_cast<EntryPoint>(dlsym(RTLD_DEFAULT, "HNTerminate_cv_units"));
    ASSERT_NE(initialize, nullptr);
    ASSERT_NE(terminate, nullptr);

    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back(initialize);
    }
    for (auto& thread : threads) {
        thread.join();
    }
    initialize();
    terminate();
    for (const std::string& path : classPaths) {
        EXPECT_NE(objsys::COSClass::loadClass(objsys::internal::makeInterned(path)), nullptr)
            << path;
    }
}

} // namespace
