#include "BatchConversion.hpp"

#include "ConversionReport.hpp"
#include "NumberText.hpp"

#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <unordered_map>

namespace cvunits {

namespace {

using CvUnitSys::UnitNumericInfoForConversions;

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

// The table's ids by the exact bytes of a side, so that a text seen before
// skips decoding and normalisation.
class BatchUnits {
public:
    std::int32_t idOf(const std::string& text) {
        if (const auto known = ids_.find(text); known != ids_.end()) {
            return known->second;
        }
        const std::int32_t id = registerText(table_, text);
        ids_.emplace(text, id);
        return id;
    }
    CvUnitSys::UnitTable& table() { return table_; }

private:
    CvUnitSys::UnitTable table_;
    std::unordered_map<std::string, std::int32_t> ids_;
};

void answerLine(BatchUnits& units, const std::string& line, std::ostream& out, bool json) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
        writeError(out, json, "cvunits:MalformedLine", "expected FROM<TAB>TO");
        return;
    }
    try {
        const std::int32_t from = units.idOf(line.substr(0, tab));
        const std::int32_t to = units.idOf(line.substr(tab + 1));
        const UnitNumericInfoForConversions info = units.table().getConversionInfo(from, to);
        const double scale = info.getScalingFactor();
        const double offset = info.getOffset();
        if (!isRepresentable(info)) {
            writeError(out, json, notRepresentableId, notRepresentableText);
        } else if (json) {
            out << nlohmann::json{{"scale", scale},
                                  {"offset", offset},
                                  {"inverted", info.isInverted()}}
                       .dump()
                << '\n';
        } else {
            out << fullPrecisionText(scale) << '\t' << fullPrecisionText(offset) << '\t'
                << (info.isInverted() ? 1 : 0) << '\n';
        }
    } catch (const CvUnitSys::IUserException& e) {
        const Failure failure = describe(e);
        writeError(out, json, failure.identifier, failure.summary);
    } catch (const std::exception& e) {
        writeError(out, json, "cvunits:InternalError", e.what());
    }
}

} // namespace

void runBatch(std::istream& in, std::ostream& out, bool json) {
    BatchUnits units;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        answerLine(units, line, out, json);
    }
    out.flush();
}

} // namespace cvunits
