/* The library from C: convert values between units and compare units, with
 * UTF-8 text. No exception crosses this boundary: every call that can fail
 * returns a status, and the calling thread's last error tells what went wrong.
 *
 * Threads: a converter, once made, may be applied from any number of threads
 * at once; every other call works on the calling thread's own context and last
 * error, so any thread may call at any time.
 *
 *     cv_units_converter* c;
 *     if (cv_units_converter_new("ft", "m", &c) == CV_UNITS_OK) {
 *         printf("%g\n", cv_units_convert_double(c, 3.0));   (0.9144)
 *         cv_units_converter_free(c);
 *     } else {
 *         fprintf(stderr, "%s\n", cv_units_last_error_message());
 *     }
 */
#ifndef CV_UNITS_H
#define CV_UNITS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum cv_units_status {
    CV_UNITS_OK = 0,
    /* A required pointer was null, or an output array is missing. */
    CV_UNITS_NULL_ARGUMENT = 1,
    /* The request was refused: a text that is not UTF-8 or not a unit, units
     * that do not convert. The last error has the identifier and message. */
    CV_UNITS_UNIT_ERROR = 2,
    /* Memory ran out or the library failed; the last error says how. */
    CV_UNITS_INTERNAL_ERROR = 3
} cv_units_status;

/* What a status means, in English; never null. */
const char* cv_units_status_message(cv_units_status status);

/* The last failure of a call on this thread; each call that returns a status
 * clears it first. Identifier and message are empty strings when there was
 * none; the column is the 1-based column of a parse error in the unit text, 0
 * when there is none. The strings live until the thread's next call. */
const char* cv_units_last_error_identifier(void);
const char* cv_units_last_error_message(void);
size_t cv_units_last_error_column(void);

typedef struct cv_units_converter cv_units_converter;

/* Makes the converter from `from` to `to` into *out; *out is null on failure. */
cv_units_status cv_units_converter_new(const char* from, const char* to, cv_units_converter** out);
/* Null is accepted and ignored. */
void cv_units_converter_free(cv_units_converter* converter);

/* output = scale * input + offset, or scale / input + offset when inverted. */
double cv_units_converter_scale(const cv_units_converter* converter);
double cv_units_converter_offset(const cv_units_converter* converter);
int cv_units_converter_inverted(const cv_units_converter* converter);
/* The exact factor as text ("381/1250", "9/5*x + 32"), or null when it is not
 * exact. The text lives as long as the converter. */
const char* cv_units_converter_exact(const cv_units_converter* converter);

/* One value; NaN for a null converter. */
double cv_units_convert_double(const cv_units_converter* converter, double value);
/* `count` values from `in` to `out`, which may be the same array. */
cv_units_status cv_units_convert_doubles(const cv_units_converter* converter, const double* in,
                                         size_t count, double* out);
/* One value in one call: *out = `value` in `from` converted to `to`. */
cv_units_status cv_units_convert(double value, const char* from, const char* to, double* out);

/* How `a` relates to `b`: *code gets 0 Equivalent, 1 IncompatibleUnits,
 * 2 DifferentPhysicalQuantities, 3 InheritCompatible,
 * 4 CanonicalScalingFactorDifference, 5 DimensionallyInequivalent,
 * 6 DifferentOffsets, 7 ReciprocalUnits, 8 UnresolvedUnits, 9 MixedUnits. */
cv_units_status cv_units_compare(const char* a, const char* b, int* code);
/* The code's name and explanation; "Unknown" for a code outside 0 to 9. */
const char* cv_units_comparison_name(int code);
const char* cv_units_comparison_explanation(int code);
/* Whether values convert between units of that comparison code. */
int cv_units_comparison_convertible(int code);

#ifdef __cplusplus
}
#endif

#endif
