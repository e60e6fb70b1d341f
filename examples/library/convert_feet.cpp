// The shortest program: one value from feet to metres.
#include "units/cv_units.hpp"

#include <iostream>

int main() {
    std::cout << "3 ft = " << cv_units::convert(3, "ft", "m") << " m\n"; // 3 ft = 0.9144 m
}
