#include "units/expr/UnitExprWithTexts.hpp"
#include "units/model/UnitTexts.hpp"

#include <array>
#include <gtest/gtest.h>
#include <string_view>
#include <thread>
#include <vector>

using namespace CvUnitSys;

namespace {

// Threads that ask at once for forms made later, each through its own copy,
// all read the one published text, which outlives the texts they started from.
TEST(UnitTextsThreads, FormsMadeLaterArePublishedOnceForEveryCopy) {
    constexpr std::size_t threadCount = 8;
    std::vector<UnitTexts> copies;
    {
        const UnitTexts texts(u"km/h^2", u"km/h^2", u"km/h^2", &UnitExprWithTexts::formsMadeLater);
        copies.reserve(threadCount);
        for (std::size_t i = 0; i < threadCount; ++i) {
            copies.push_back(texts);
        }
    }
    std::array<std::u16string_view, threadCount> names;
    std::array<std::u16string_view, threadCount> displays;
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < threadCount; ++i) {
        threads.emplace_back([&, i] {
            names[i] = copies[i].get(i % 2 == 0 ? UnitTexts::Name : UnitTexts::Display);
            displays[i] = copies[i].get(UnitTexts::Display);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < threadCount; ++i) {
        EXPECT_EQ(displays[i].data(), displays[0].data());
        EXPECT_EQ(names[i], i % 2 == 0 ? u"kilometre/hour^2" : u"km/h^{2}");
    }
    EXPECT_EQ(displays[0], u"km/h^{2}");
    EXPECT_EQ(copies.front().get(UnitTexts::Symbol), u"km/h^2");
}

} // namespace
