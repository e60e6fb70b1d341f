#include "BatchConversion.hpp"
#include "Command.hpp"
#include "ConversionReport.hpp"
#include "ExactConversion.hpp"
#include "NumberText.hpp"

#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using CvUnitSys::UnitNumericInfoForConversions;
using nlohmann::json;

// "381/1250 (0.3048)", "9/5*x + 32 (1.8*x + 32)", "1/x", "0.45359237".
std::string formula(const UnitNumericInfoForConversions& info,
                    const std::optional<ExactConversion>& exact) {
    const std::string scale = shortestText(info.getScalingFactor());
    const double offsetValue = info.getOffset();
    const std::string offset = offsetValue == 0.0 ? ""
                                                  : (offsetValue < 0 ? " - " : " + ") +
                                                        shortestText(std::abs(offsetValue));
    const std::string approximate = info.isInverted() ? scale + "/x" + offset
                                    : offset.empty()  ? scale
                                    : scale == "1"    ? "x" + offset
                                                      : scale + "*x" + offset;
    const std::string exactText = exact ? exact->text() : approximate;
    return exactText != approximate ? exactText + " (" + approximate + ")" : approximate;
}

double apply(const UnitNumericInfoForConversions& info, const std::optional<ExactConversion>& exact,
             double value) {
    if (exact) {
        return exact->apply(value);
    }
    const double scaled =
        info.isInverted() ? info.getScalingFactor() / value : info.getScalingFactor() * value;
    return scaled + info.getOffset();
}

json explanationJson(const Explanation& e) {
    json out = json::object();
    if (e.from) {
        out["fromDimensions"] = dimensionsText(*e.from);
    }
    if (e.to) {
        out["toDimensions"] = dimensionsText(*e.to);
    }
    out["differences"] = e.differences;
    if (e.fix) {
        out["fix"] = *e.fix;
    }
    json unknown = json::array();
    for (const auto& [symbol, candidates] : e.unknown) {
        unknown.push_back({{"symbol", symbol}, {"didYouMean", candidates}});
    }
    out["unknown"] = unknown;
    return out;
}

void printExplanation(std::ostream& err, const Explanation& e, const std::string& from,
                      const std::string& to) {
    if (e.from && e.to) {
        err << "  " << from << " has dimensions " << dimensionsText(*e.from) << '\n'
            << "  " << to << " has dimensions " << dimensionsText(*e.to) << '\n';
        if (!e.differences.empty()) {
            err << "  they differ in:";
            for (std::size_t i = 0; i < e.differences.size(); ++i) {
                err << (i == 0 ? " " : ", ") << e.differences[i];
            }
            err << '\n';
        }
    }
    if (e.fix) {
        err << "  nearest fix: " << *e.fix << '\n';
    }
    for (const auto& [symbol, candidates] : e.unknown) {
        err << "  unknown symbol '" << symbol << "'";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            err << (i == 0 ? ": did you mean " : ", ") << candidates[i];
        }
        err << (candidates.empty() ? "\n" : "?\n");
    }
}

int reportFailure(const CommandContext& ctx, const Failure& failure,
                  const std::optional<Explanation>& explanation, const std::string& from,
                  const std::string& to) {
    if (ctx.json) {
        json out{{"from", from},
                 {"to", to},
                 {"error", {{"id", failure.identifier}, {"message", failure.message}}}};
        if (explanation) {
            out["explanation"] = explanationJson(*explanation);
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    } else {
        ctx.err << "error: " << failure.message << '\n';
        if (explanation) {
            printExplanation(ctx.err, *explanation, from, to);
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
        const auto value = parseNumber(positional[i]);
        if (!value) {
            ctx.err << "error: '" << positional[i] << "' is not a number\n";
            return exitUserError;
        }
        values.push_back(*value);
    }

    CvUnitSys::UnitTable table;
    std::int32_t fromId = CvUnitSys::UnitTable::NoUnitId;
    std::int32_t toId = CvUnitSys::UnitTable::NoUnitId;
    try {
        fromId = registerText(table, from);
        toId = registerText(table, to);
        const UnitNumericInfoForConversions info = table.getConversionInfo(fromId, toId);
        if (!isRepresentable(info)) {
            return reportFailure(out,
                                 {notRepresentableId, notRepresentableText, notRepresentableText},
                                 std::nullopt, from, to);
        }
        const auto exact = exactConversion(table, fromId, toId, info);
        if (jsonOutput) {
            json result{{"from", from},
                        {"to", to},
                        {"scale", info.getScalingFactor()},
                        {"offset", info.getOffset()},
                        {"inverted", info.isInverted()}};
            if (exact) {
                result["exact"] = exact->text();
            }
            json converted = json::array();
            for (const double v : values) {
                converted.push_back({{"input", v}, {"output", apply(info, exact, v)}});
            }
            result["values"] = converted;
            ctx.out << result.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
            return exitSuccess;
        }
        ctx.out << from << " -> " << to << ": " << formula(info, exact) << '\n'
                << "scale " << shortestText(info.getScalingFactor()) << ", offset "
                << shortestText(info.getOffset()) << ", "
                << (info.isInverted() ? "inverted" : "not inverted") << '\n';
        for (const double v : values) {
            ctx.out << shortestText(v) << ' ' << from << " = "
                    << shortestText(apply(info, exact, v)) << ' ' << to << '\n';
        }
        return exitSuccess;
    } catch (const CvUnitSys::IUserException& e) {
        std::optional<Explanation> explanation;
        if (table.isUnitIdValid(fromId) && table.isUnitIdValid(toId)) {
            explanation = explain(table, fromId, toId);
        }
        return reportFailure(out, describe(e), explanation, from, to);
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
