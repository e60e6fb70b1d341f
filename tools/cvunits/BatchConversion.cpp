#include "BatchConversion.hpp"

#include "units/cv_units.hpp"
#include "units/frontdoor/NumberText.hpp"

#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>

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

void answerLine(const std::string& line, std::ostream& out, bool json) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
        writeError(out, json, "cvunits:MalformedLine", "expected FROM<TAB>TO");
        return;
    }
    try {
        const std::string_view text(line);
        // Pairs that do not convert are common in a batch: their error comes back as a value.
        const cv_units::Answer& answer =
            cv_units::defaultUnits().tryConverter(text.substr(0, tab), text.substr(tab + 1));
        if (const auto* error = std::get_if<cv_units::UnitError>(&answer)) {
            writeError(out, json, error->identifier(), error->summary());
            return;
        }
        const auto& converter = std::get<cv_units::Converter>(answer);
        if (json) {
            out << nlohmann::json{{"scale", converter.scale()},
                                  {"offset", converter.offset()},
                                  {"inverted", converter.inverted()}}
                       .dump()
                << '\n';
        } else {
            out << cv_units::fullPrecisionText(converter.scale()) << '\t'
                << cv_units::fullPrecisionText(converter.offset()) << '\t'
                << (converter.inverted() ? 1 : 0) << '\n';
        }
    } catch (const cv_units::UnitError& e) {
        writeError(out, json, e.identifier(), e.summary());
    } catch (const std::exception& e) {
        writeError(out, json, "cvunits:InternalError", e.what());
    }
}

} // namespace

void runBatch(std::istream& in, std::ostream& out, bool json) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        answerLine(line, out, json);
    }
    out.flush();
}

} // namespace cvunits
