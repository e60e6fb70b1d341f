/* Builds against an installed copy of the library through its C API. */
#include "units/cv_units.h"

int main(void) {
    double metres = 0.0;
    return cv_units_convert(3.0, "ft", "m", &metres) == CV_UNITS_OK && metres == 0.9144 ? 0 : 1;
}
