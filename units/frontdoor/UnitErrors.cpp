#include "units/frontdoor/UnitErrors.hpp"

#include "units/platform/MessageCatalogue.hpp"

#include <boost/variant/get.hpp>
#include <cstdint>

namespace cv_units {

namespace {

using CvUnitSys::Diagnostic;
using CvUnitSys::DiagnosticItem;

void appendSummary(std::string& out, const Diagnostic& d) {
    for (const DiagnosticItem& item : d.items()) {
        std::string text = CvUnitSys::formatMessage(item.id);
        text = text.substr(0, text.find('\n'));
        out += out.empty() ? text : ": " + text;
        for (const Diagnostic& cause : item.causes) {
            appendSummary(out, cause);
        }
    }
}

// A parse error names the text and the column where reading stopped; a
// registration wraps it as a cause.
std::size_t parseColumn(const Diagnostic& d) {
    for (const DiagnosticItem& item : d.items()) {
        if (item.id.getKey() == "ParsingError" && item.id.getArgs().size() == 2) {
            if (const auto* column = boost::get<std::int64_t>(&item.id.getArgs()[1]);
                column != nullptr && *column > 0) {
                return static_cast<std::size_t>(*column);
            }
        }
        for (const Diagnostic& cause : item.causes) {
            if (const std::size_t column = parseColumn(cause); column != 0) {
                return column;
            }
        }
    }
    return 0;
}

// Length of the valid UTF-8 sequence at `p`, or 0: no overlong forms, no
// surrogates, nothing past U+10FFFF.
std::size_t sequenceLength(std::string_view text, std::size_t p) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(p);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (p + length > text.size() || byte(p + 1) < low || byte(p + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(p + i) < 0x80 || byte(p + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

UnitError::UnitError(std::string identifier, const std::string& message, std::string summary,
                     std::size_t column, std::vector<Suggestion> suggestions)
    : std::runtime_error(message), identifier_(std::move(identifier)), summary_(std::move(summary)),
      column_(column), suggestions_(std::move(suggestions)) {}

UnitError toUnitError(const CvUnitSys::IUserException& e, std::vector<Suggestion> suggestions) {
    std::string summary;
    appendSummary(summary, e.getDiagnostic());
    return UnitError(e.getMessageIdentifier(), e.what(), summary, parseColumn(e.getDiagnostic()),
                     std::move(suggestions));
}

void checkText(std::string_view text) {
    std::size_t column = 1;
    for (std::size_t p = 0; p < text.size(); ++column) {
        if (text[p] == '\0') {
            // Messages quote the text, and a C string ends at the NUL.
            const std::string message =
                "the unit text has a NUL character at column " + std::to_string(column);
            throw UnitError("CvUnits:NulInText", message, message, column);
        }
        const std::size_t length = sequenceLength(text, p);
        if (length == 0) {
            const std::string message = "the unit text is not valid UTF-8 at column " +
                                        std::to_string(column) + " (byte " + std::to_string(p + 1) +
                                        ")";
            throw UnitError("CvUnits:InvalidEncoding", message, message, column);
        }
        p += length;
    }
}

} // namespace cv_units
