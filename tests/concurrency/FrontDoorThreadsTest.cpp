#include "units/cv_units.hpp"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// Threads convert through their own default contexts and share one converter,
// while another thread adds and drops a user database over and over, so that
// every context starts afresh under the others' feet. Built-in conversions
// stay right throughout; the database's unit converts right or is refused.
TEST(FrontDoorThreads, ConvertWhileTheDatabasesChange) {
    const std::string shop =
        std::string(CV_UNITS_SOURCE_DIR) + "/examples/user-databases/shop_units.xml";
    const double fpf = 201.168 / (14 * 86400);
    const cv_units::Converter shared("ft", "m");
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};

    std::thread churn([&] {
        for (int i = 0; i < 6; ++i) {
            cv_units::Units units;
            units.addDatabase(shop);
            if (units.convert(1, "fpf", "m/s") != fpf) {
                ++wrong;
            }
        }
        done = true;
    });
    std::vector<std::thread> converters;
    for (int t = 0; t < 3; ++t) {
        converters.emplace_back([&, t] {
            const char* units[] = {"ft", "km", "mi", "in"};
            for (int i = 0; !done || i < 50; ++i) {
                const char* from = units[(i + t) % 4];
                if (cv_units::convert(1.0, from, "m") != cv_units::Converter(from, "m")(1.0) ||
                    shared(10.0) != 3.048) {
                    ++wrong;
                }
                try {
                    if (cv_units::convert(1, "fpf", "m/s") != fpf) {
                        ++wrong;
                    }
                } catch (const cv_units::UnitError& e) {
                    if (e.identifier() != "CorvaneTypes:Unit:UnresolvedUnitsNotConvertible") {
                        ++wrong;
                    }
                }
            }
        });
    }
    churn.join();
    for (auto& thread : converters) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
