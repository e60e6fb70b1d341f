// A converter made once and applied to many values at a time.
#include "units/cv_units.hpp"

#include <iostream>
#include <vector>

int main() {
    const cv_units::Converter toFahrenheit("degC", "degF");
    std::cout << "exactly " << toFahrenheit.exact()->text() << '\n'; // exactly 9/5*x + 32
    std::cout << "scale " << toFahrenheit.scale() << ", offset " << toFahrenheit.offset()
              << '\n'; // scale 1.8, offset 32

    std::vector<double> temperatures{-40, 0, 36.6, 100};
    toFahrenheit(temperatures); // in place; toFahrenheit(in, out) writes elsewhere
    for (const double t : temperatures) {
        std::cout << t << ' '; // -40 32 97.88 212
    }
    std::cout << '\n';
}
