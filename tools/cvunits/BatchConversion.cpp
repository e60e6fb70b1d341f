#include "BatchConversion.hpp"

#include "FriendlyInput.hpp"
#include "Refusal.hpp"
#include "TypedConversion.hpp"
#include "units/cv_units.hpp"
#include "units/frontdoor/NumberText.hpp"

#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cvunits {

namespace {

// Tabs, line breaks and other control characters (the message quotes the
// input) would break the line format.
std::string oneField(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return text;
}

void writeError(std::ostream& out, bool json, const std::string& identifier,
                const std::string& message) {
    if (json) {
        out << nlohmann::json{{"error", {{"id", identifier}, {"message", message}}}}.dump(
                   -1, ' ', false, nlohmann::json::error_handler_t::replace)
            << '\n';
    } else {
        out << "error\t" << identifier << '\t' << oneField(message) << '\n';
    }
}

// The fields of a line split at tabs.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        out.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    out.push_back(line.substr(start));
    return out;
}

void writeUnitError(std::ostream& out, bool json, const cv_units::UnitError& e) {
    if (json) {
        out << nlohmann::json{{"error", unitErrorJson(e)}}.dump(
                   -1, ' ', false, nlohmann::json::error_handler_t::replace)
            << '\n';
    } else {
        writeError(out, json, e.identifier(), tidyMessage(e.summary()));
    }
}

void answerLine(const std::string& line, std::ostream& out, bool json, bool values) {
    const std::vector<std::string_view> field = fields(line);
    if (field.size() != (values ? 3U : 2U)) {
        writeError(out, json, "cvunits:MalformedLine",
                   values ? "expected VALUE<TAB>FROM<TAB>TO" : "expected FROM<TAB>TO");
        return;
    }
    std::optional<double> value;
    if (values) {
        value = cv_units::parseNumber(std::string(field[0]));
        if (!value) {
            writeError(out, json, "cvunits:NotANumber",
                       "'" + std::string(field[0]) + "' is not a number");
            return;
        }
    }
    try {
        // Each side on its own: the same unknown text on both sides is no
        // conversion, whatever the library makes of comparing a text with itself.
        auto answer =
            tryConvertTyped(readTypedUnit(field[field.size() - 2]), readTypedUnit(field.back()));
        if (const auto* error = std::get_if<cv_units::UnitError>(&answer)) {
            writeUnitError(out, json, *error);
            return;
        }
        const TypedConversion& conversion = std::get<TypedConversion>(answer);
        if (value) {
            const double converted = conversion(*value);
            if (json) {
                out << nlohmann::json{{"value", converted}}.dump() << '\n';
            } else {
                out << cv_units::fullPrecisionText(converted) << '\n';
            }
        } else if (json) {
            out << nlohmann::json{{"scale", conversion.scale},
                                  {"offset", conversion.offset},
                                  {"inverted", conversion.inverted}}
                       .dump()
                << '\n';
        } else {
            out << cv_units::fullPrecisionText(conversion.scale) << '\t'
                << cv_units::fullPrecisionText(conversion.offset) << '\t'
                << (conversion.inverted ? 1 : 0) << '\n';
        }
    } catch (const cv_units::UnitError& e) {
        writeUnitError(out, json, e);
    } catch (const std::exception& e) {
        writeError(out, json, "cvunits:InternalError", e.what());
    }
}

} // namespace

void runBatch(std::istream& in, std::ostream& out, bool json, bool values) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        answerLine(line, out, json, values);
    }
    out.flush();
}

} // namespace cvunits
