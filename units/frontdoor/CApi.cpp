// The C API of units/cv_units.h over the C++ front door: every exception is
// caught here and becomes a status and the thread's last error.

#include "units/cv_units.h"
#include "units/cv_units.hpp"
#include "units/frontdoor/ComparisonText.hpp"

#include <limits>
#include <new>
#include <string>

struct cv_units_converter {
    cv_units::Converter converter;
    std::string exact;
};

namespace {

struct LastError {
    std::string identifier;
    std::string message;
    std::size_t column = 0;
};

LastError& lastError() {
    thread_local LastError error;
    return error;
}

void clearLastError() {
    LastError& error = lastError();
    error.identifier.clear();
    error.message.clear();
    error.column = 0;
}

cv_units_status fail(cv_units_status status, std::string identifier, std::string message,
                     std::size_t column = 0) {
    LastError& error = lastError();
    error.identifier = std::move(identifier);
    error.message = std::move(message);
    error.column = column;
    return status;
}

cv_units_status nullArgument(const char* name) {
    return fail(CV_UNITS_NULL_ARGUMENT, "CvUnits:NullArgument",
                std::string("the argument '") + name + "' is a null pointer");
}

// Runs `work`, turning what it throws into a status and the last error.
template <typename Work> cv_units_status guarded(Work&& work) noexcept {
    try {
        work();
        return CV_UNITS_OK;
    } catch (const cv_units::UnitError& e) {
        return fail(CV_UNITS_UNIT_ERROR, e.identifier(), e.what(), e.column());
    } catch (const std::bad_alloc&) {
        return fail(CV_UNITS_INTERNAL_ERROR, "CvUnits:OutOfMemory", "out of memory");
    } catch (const std::exception& e) {
        return fail(CV_UNITS_INTERNAL_ERROR, "CvUnits:InternalError", e.what());
    } catch (...) {
        return fail(CV_UNITS_INTERNAL_ERROR, "CvUnits:InternalError", "unknown failure");
    }
}

} // namespace

extern "C" {

const char* cv_units_status_message(cv_units_status status) {
    switch (status) {
    case CV_UNITS_OK:
        return "success";
    case CV_UNITS_NULL_ARGUMENT:
        return "a required pointer is null";
    case CV_UNITS_UNIT_ERROR:
        return "the unit text or the conversion was refused";
    case CV_UNITS_INTERNAL_ERROR:
        return "internal error";
    }
    return "unknown status";
}

const char* cv_units_last_error_identifier(void) {
    return lastError().identifier.c_str();
}

const char* cv_units_last_error_message(void) {
    return lastError().message.c_str();
}

size_t cv_units_last_error_column(void) {
    return lastError().column;
}

cv_units_status cv_units_converter_new(const char* from, const char* to, cv_units_converter** out) {
    clearLastError();
    if (out == nullptr) {
        return nullArgument("out");
    }
    *out = nullptr;
    if (from == nullptr) {
        return nullArgument("from");
    }
    if (to == nullptr) {
        return nullArgument("to");
    }
    return guarded([&] {
        cv_units::Converter converter = cv_units::defaultUnits().converter(from, to);
        std::string exact = converter.exact() ? converter.exact()->text() : std::string();
        *out = new cv_units_converter{std::move(converter), std::move(exact)};
    });
}

void cv_units_converter_free(cv_units_converter* converter) {
    delete converter;
}

double cv_units_converter_scale(const cv_units_converter* converter) {
    return converter != nullptr ? converter->converter.scale()
                                : std::numeric_limits<double>::quiet_NaN();
}

double cv_units_converter_offset(const cv_units_converter* converter) {
    return converter != nullptr ? converter->converter.offset()
                                : std::numeric_limits<double>::quiet_NaN();
}

int cv_units_converter_inverted(const cv_units_converter* converter) {
    return converter != nullptr && converter->converter.inverted() ? 1 : 0;
}

const char* cv_units_converter_exact(const cv_units_converter* converter) {
    return converter != nullptr && converter->converter.exact() ? converter->exact.c_str()
                                                                : nullptr;
}

double cv_units_convert_double(const cv_units_converter* converter, double value) {
    return converter != nullptr ? converter->converter(value)
                                : std::numeric_limits<double>::quiet_NaN();
}

cv_units_status cv_units_convert_doubles(const cv_units_converter* converter, const double* in,
                                         size_t count, double* out) {
    clearLastError();
    if (converter == nullptr) {
        return nullArgument("converter");
    }
    if (count == 0) {
        return CV_UNITS_OK;
    }
    if (in == nullptr) {
        return nullArgument("in");
    }
    if (out == nullptr) {
        return nullArgument("out");
    }
    converter->converter(std::span<const double>(in, count), std::span<double>(out, count));
    return CV_UNITS_OK;
}

cv_units_status cv_units_convert(double value, const char* from, const char* to, double* out) {
    clearLastError();
    if (out == nullptr) {
        return nullArgument("out");
    }
    if (from == nullptr) {
        return nullArgument("from");
    }
    if (to == nullptr) {
        return nullArgument("to");
    }
    return guarded([&] { *out = cv_units::convert(value, from, to); });
}

cv_units_status cv_units_compare(const char* a, const char* b, int* code) {
    clearLastError();
    if (code == nullptr) {
        return nullArgument("code");
    }
    if (a == nullptr) {
        return nullArgument("a");
    }
    if (b == nullptr) {
        return nullArgument("b");
    }
    return guarded([&] { *code = cv_units::compare(a, b).code; });
}

const char* cv_units_comparison_name(int code) {
    return cv_units::comparisonNameText(code);
}

const char* cv_units_comparison_explanation(int code) {
    return cv_units::comparisonExplanationText(code);
}

int cv_units_comparison_convertible(int code) {
    return cv_units::isConvertible(code) ? 1 : 0;
}

} // extern "C"
