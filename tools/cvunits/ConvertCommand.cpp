#include "BatchConversion.hpp"
#include "Command.hpp"
#include "ComparisonReport.hpp"
#include "units/cv_units.hpp"
#include "units/frontdoor/NumberText.hpp"

#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cvunits {
namespace {

using cv_units::shortestText;
using nlohmann::json;

// "381/1250 (0.3048)", "9/5*x + 32 (1.8*x + 32)", "1/x", "0.45359237".
std::string formula(const cv_units::Converter& c) {
    const std::string scale = shortestText(c.scale());
    const double offsetValue = c.offset();
    const std::string offset = offsetValue == 0.0 ? ""
                                                  : (offsetValue < 0 ? " - " : " + ") +
                                                        shortestText(std::abs(offsetValue));
    const std::string approximate = c.inverted()     ? scale + "/x" + offset
                                    : offset.empty() ? scale
                                    : scale == "1"   ? "x" + offset
                                                     : scale + "*x" + offset;
    const std::string exactText = c.exact() ? c.exact()->text() : approximate;
    return exactText != approximate ? exactText + " (" + approximate + ")" : approximate;
}

// Why the units do not convert, when both texts are units at all.
std::optional<cv_units::Comparison> explanationOf(const std::string& from, const std::string& to) {
    try {
        cv_units::Comparison comparison = cv_units::compare(from, to);
        if (!comparison.convertible) {
            return comparison;
        }
    } catch (const cv_units::UnitError&) {
    }
    return std::nullopt;
}

int reportFailure(const CommandContext& ctx, const cv_units::UnitError& failure,
                  const std::string& from, const std::string& to) {
    const std::optional<cv_units::Comparison> explanation = explanationOf(from, to);
    if (ctx.json) {
        json out{{"from", from},
                 {"to", to},
                 {"error", {{"id", failure.identifier()}, {"message", failure.what()}}}};
        if (explanation) {
            out["explanation"] = explanationJson(*explanation);
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    } else {
        ctx.err << "error: " << failure.what() << '\n';
        if (explanation) {
            printExplanation(ctx.err, *explanation, from, to, "  ");
        }
    }
    return exitUserError;
}

int convertCommand(const CommandContext& ctx) {
    bool batch = false;
    bool jsonOutput = ctx.json;
    std::vector<std::string> positional;
    for (const std::string& arg : ctx.args) {
        if (arg == "--batch") {
            batch = true;
        } else if (arg == "--json") {
            jsonOutput = true;
        } else {
            positional.push_back(arg);
        }
    }
    if (batch) {
        if (!positional.empty()) {
            return exitUsage;
        }
        // Reading must not flush the output at every line.
        std::ios::sync_with_stdio(false);
        std::cin.tie(nullptr);
        runBatch(std::cin, ctx.out, jsonOutput);
        return exitSuccess;
    }
    if (positional.size() < 2) {
        return exitUsage;
    }
    const CommandContext out{ctx.args, jsonOutput, ctx.out, ctx.err};
    const std::string& from = positional[0];
    const std::string& to = positional[1];
    std::vector<double> values;
    for (std::size_t i = 2; i < positional.size(); ++i) {
        const auto value = cv_units::parseNumber(positional[i]);
        if (!value) {
            ctx.err << "error: '" << positional[i] << "' is not a number\n";
            return exitUserError;
        }
        values.push_back(*value);
    }

    try {
        const cv_units::Converter converter(from, to);
        if (jsonOutput) {
            json result{{"from", from},
                        {"to", to},
                        {"scale", converter.scale()},
                        {"offset", converter.offset()},
                        {"inverted", converter.inverted()}};
            if (converter.exact()) {
                result["exact"] = converter.exact()->text();
            }
            json converted = json::array();
            for (const double v : values) {
                converted.push_back({{"input", v}, {"output", converter(v)}});
            }
            result["values"] = converted;
            ctx.out << result.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
            return exitSuccess;
        }
        ctx.out << from << " -> " << to << ": " << formula(converter) << '\n'
                << "scale " << shortestText(converter.scale()) << ", offset "
                << shortestText(converter.offset()) << ", "
                << (converter.inverted() ? "inverted" : "not inverted") << '\n';
        for (const double v : values) {
            ctx.out << shortestText(v) << ' ' << from << " = " << shortestText(converter(v)) << ' '
                    << to << '\n';
        }
        return exitSuccess;
    } catch (const cv_units::UnitError& e) {
        return reportFailure(out, e, from, to);
    }
}

const CommandRegistration registration{
    {"convert",
     "FROM TO [VALUE...] | --batch",
     "convert values from one unit to another: prints the factor (exactly, when it is\n"
     "rational), the scale, offset and inversion, and each VALUE converted. When the\n"
     "units do not convert, explains why: the dimensions of each side, where they\n"
     "differ, the nearest fix, and close matches for unknown symbols.\n"
     "With --batch, reads lines FROM<TAB>TO from standard input and writes for each\n"
     "scale<TAB>offset<TAB>inverted (17 significant digits, inverted 0 or 1) or\n"
     "error<TAB>identifier<TAB>message; output = scale*input + offset, or\n"
     "scale/input + offset when inverted.",
     {"cvunits convert ft m 1 2.5", "cvunits convert degC degF 100",
      "cvunits --json convert km/h m/s 36",
      "printf 'ft\\tm\\nHz\\ts\\n' | cvunits convert --batch"},
     convertCommand}};

} // namespace
} // namespace cvunits
