#include "ComparisonReport.hpp"

namespace cvunits {

void printExplanation(std::ostream& out, const cv_units::Comparison& comparison,
                      const std::string& a, const std::string& b, const std::string& indent) {
    if (comparison.aDimensions && comparison.bDimensions) {
        out << indent << a << " has dimensions " << *comparison.aDimensions << '\n'
            << indent << b << " has dimensions " << *comparison.bDimensions << '\n';
        if (!comparison.differences.empty()) {
            out << indent << "they differ in:";
            for (std::size_t i = 0; i < comparison.differences.size(); ++i) {
                out << (i == 0 ? " " : ", ") << comparison.differences[i];
            }
            out << '\n';
        }
    }
    if (comparison.fix) {
        out << indent << "nearest fix: " << *comparison.fix << '\n';
    }
    for (const auto& [symbol, candidates] : comparison.unknown) {
        out << indent << "unknown symbol '" << symbol << "'";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            out << (i == 0 ? ": did you mean " : ", ") << candidates[i];
        }
        out << (candidates.empty() ? "\n" : "?\n");
    }
}

nlohmann::json explanationJson(const cv_units::Comparison& comparison) {
    nlohmann::json out = nlohmann::json::object();
    if (comparison.aDimensions) {
        out["fromDimensions"] = *comparison.aDimensions;
    }
    if (comparison.bDimensions) {
        out["toDimensions"] = *comparison.bDimensions;
    }
    out["differences"] = comparison.differences;
    if (comparison.fix) {
        out["fix"] = *comparison.fix;
    }
    nlohmann::json unknown = nlohmann::json::array();
    for (const auto& [symbol, candidates] : comparison.unknown) {
        unknown.push_back({{"symbol", symbol}, {"didYouMean", candidates}});
    }
    out["unknown"] = unknown;
    return out;
}

} // namespace cvunits
