/* The same from C: a converter, one value, and the error when there is one. */
#include "units/cv_units.h"

#include <stdio.h>

int main(void) {
    cv_units_converter* feet_to_metres = NULL;
    if (cv_units_converter_new("ft", "m", &feet_to_metres) != CV_UNITS_OK) {
        fprintf(stderr, "%s\n", cv_units_last_error_message());
        return 1;
    }
    printf("3 ft = %g m\n", cv_units_convert_double(feet_to_metres, 3.0)); /* 3 ft = 0.9144 m */
    cv_units_converter_free(feet_to_metres);
    return 0;
}
