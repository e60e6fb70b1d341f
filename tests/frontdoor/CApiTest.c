/* The C API as a C program uses it: conversions, arrays, comparisons, and every
 * kind of bad argument answered with a status and the last error. */
#include "units/cv_units.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
static int checks = 0;

static void check(int ok, const char* what) {
    ++checks;
    if (!ok) {
        ++failures;
        printf("FAIL %s (last error: %s %s)\n", what, cv_units_last_error_identifier(),
               cv_units_last_error_message());
    }
}

static void conversions(void) {
    cv_units_converter* c = NULL;
    check(cv_units_converter_new("ft", "m", &c) == CV_UNITS_OK && c != NULL, "ft to m");
    check(cv_units_convert_double(c, 3.0) == 0.9144, "3 ft is 0.9144 m");
    check(strcmp(cv_units_converter_exact(c), "381/1250") == 0, "exact factor");
    check(cv_units_converter_inverted(c) == 0 && cv_units_converter_offset(c) == 0.0, "shape");

    double values[4] = {0.0, 1.0, 10.0, NAN};
    double out[4];
    check(cv_units_convert_doubles(c, values, 4, out) == CV_UNITS_OK, "array");
    check(out[1] == 0.3048 && fabs(out[2] - 3.048) < 1e-15 && isnan(out[3]), "array values");
    check(cv_units_convert_doubles(c, values, 4, values) == CV_UNITS_OK && values[2] == out[2],
          "array in place");
    check(cv_units_convert_doubles(c, NULL, 0, NULL) == CV_UNITS_OK, "empty array");
    cv_units_converter_free(c);

    double f = 0.0;
    check(cv_units_convert(100.0, "degC", "degF", &f) == CV_UNITS_OK && f == 212.0, "one call");
    check(cv_units_converter_new("Hz", "s", &c) == CV_UNITS_OK, "Hz to s");
    check(cv_units_converter_inverted(c) == 1 && cv_units_converter_exact(c) == NULL &&
              cv_units_convert_double(c, 4.0) == 0.25,
          "inverted");
    cv_units_converter_free(c);
}

static void comparisons(void) {
    int code = -1;
    check(cv_units_compare("Hz", "s", &code) == CV_UNITS_OK && code == 7, "Hz vs s");
    check(strcmp(cv_units_comparison_name(code), "ReciprocalUnits") == 0, "name");
    check(cv_units_comparison_convertible(code) == 1, "convertible");
    check(cv_units_compare("m", "s", &code) == CV_UNITS_OK && code == 1 &&
              cv_units_comparison_convertible(code) == 0,
          "m vs s");
    check(strcmp(cv_units_comparison_name(42), "Unknown") == 0, "unknown code");
    check(strlen(cv_units_comparison_explanation(1)) > 0, "explanation");
}

static void refusals(void) {
    cv_units_converter* c = (cv_units_converter*)&failures;
    double out = 0.0;
    int code = 0;
    check(cv_units_converter_new(NULL, "m", &c) == CV_UNITS_NULL_ARGUMENT && c == NULL,
          "null text");
    check(strcmp(cv_units_last_error_identifier(), "CvUnits:NullArgument") == 0, "null id");
    check(cv_units_converter_new("m", "m", NULL) == CV_UNITS_NULL_ARGUMENT, "null out");
    check(cv_units_convert(1.0, "m", NULL, &out) == CV_UNITS_NULL_ARGUMENT, "null to");
    check(cv_units_compare("m", "s", NULL) == CV_UNITS_NULL_ARGUMENT, "null code");
    check(cv_units_convert_doubles(NULL, &out, 1, &out) == CV_UNITS_NULL_ARGUMENT, "null conv");
    check(isnan(cv_units_convert_double(NULL, 1.0)), "null converter gives NaN");
    cv_units_converter_free(NULL);

    check(cv_units_converter_new("m*/s", "m", &c) == CV_UNITS_UNIT_ERROR && c == NULL, "parse");
    check(cv_units_last_error_column() == 3, "parse column");
    check(strstr(cv_units_last_error_message(), "^") != NULL, "caret");
    check(cv_units_convert(1.0, "m", "s", &out) == CV_UNITS_UNIT_ERROR, "not convertible");
    check(strcmp(cv_units_last_error_identifier(), "CorvaneTypes:Unit:UnitsNotConvertible") == 0,
          "not convertible id");
    check(cv_units_compare("\xc3", "m", &code) == CV_UNITS_UNIT_ERROR, "invalid UTF-8");
    check(strcmp(cv_units_last_error_identifier(), "CvUnits:InvalidEncoding") == 0, "utf8 id");
    check(cv_units_convert(1.0, "", "m", &out) == CV_UNITS_UNIT_ERROR, "empty text");
    /* A success clears the last error. */
    check(cv_units_convert(1.0, "km", "m", &out) == CV_UNITS_OK && out == 1000.0 &&
              cv_units_last_error_identifier()[0] == '\0' && cv_units_last_error_column() == 0,
          "cleared");
    check(strlen(cv_units_status_message(CV_UNITS_UNIT_ERROR)) > 0, "status message");
}

int main(void) {
    conversions();
    comparisons();
    refusals();
    printf("%d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
