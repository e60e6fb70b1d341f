#include "BatchConversion.hpp"
#include "Command.hpp"
#include "ComparisonReport.hpp"
#include "FriendlyInput.hpp"
#include "Refusal.hpp"
#include "TypedConversion.hpp"
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
std::string formula(const TypedConversion& c) {
    const std::string scale = shortestText(c.scale);
    const std::string offset =
        c.offset == 0.0 ? "" : (c.offset < 0 ? " - " : " + ") + shortestText(std::abs(c.offset));
    const std::string approximate = c.inverted       ? scale + "/x" + offset
                                    : offset.empty() ? scale
                                    : scale == "1"   ? "x" + offset
                                                     : scale + "*x" + offset;
    const std::string exactText = c.exact.value_or(approximate);
    return exactText != approximate ? exactText + " (" + approximate + ")" : approximate;
}

int reportFailure(const CommandContext& ctx, const cv_units::UnitError& failure,
                  const TypedUnit& from, const TypedUnit& to) {
    const std::optional<cv_units::Comparison> explanation = whyNotConvertible(from.text, to.text);
    const std::optional<std::string> hint = temperatureHint(from.text, to.text);
    const cv_units::UnitError inUserWords = inTypedWords(failure, from, to);
    if (ctx.json) {
        json out{{"from", from.typed}, {"to", to.typed}, {"error", unitErrorJson(inUserWords)}};
        if (explanation) {
            out["explanation"] = explanationJson(*explanation);
        }
        if (hint) {
            out["hint"] = *hint;
        }
        ctx.out << out.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return exitUserError;
    }
    reportUnitError(ctx, {}, inUserWords);
    if (explanation) {
        printExplanation(ctx.err, *explanation, from.typed, to.typed, "  ");
    }
    if (hint) {
        ctx.err << "  " << *hint << '\n';
    }
    return exitUserError;
}

void printAnswer(const CommandContext& ctx, const TypedConversion& c,
                 const std::vector<double>& values) {
    if (ctx.json) {
        json result{{"from", c.from.typed},
                    {"to", c.to.typed},
                    {"scale", c.scale},
                    {"offset", c.offset},
                    {"inverted", c.inverted}};
        const json understood = understoodJson(c.from, c.to);
        if (!understood.empty()) {
            result["understood"] = understood;
        }
        if (c.exact) {
            result["exact"] = *c.exact;
        }
        json converted = json::array();
        for (const double v : values) {
            converted.push_back({{"input", v}, {"output", c(v)}});
        }
        result["values"] = converted;
        ctx.out << result.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
        return;
    }
    ctx.out << c.from.typed << " -> " << c.to.typed << ": " << formula(c) << '\n'
            << "scale " << shortestText(c.scale) << ", offset " << shortestText(c.offset) << ", "
            << (c.inverted ? "inverted" : "not inverted") << '\n';
    for (const double v : values) {
        ctx.out << shortestText(v) << ' ' << c.from.typed << " = " << shortestText(c(v)) << ' '
                << c.to.typed << '\n';
    }
}

int convertCommand(const CommandContext& ctx) {
    bool batch = false;
    bool values = false;
    bool jsonOutput = ctx.json;
    std::vector<std::string> positional;
    for (const std::string& arg : ctx.args) {
        if (arg == "--batch") {
            batch = true;
        } else if (arg == "--values") {
            values = true;
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
        runBatch(std::cin, ctx.out, jsonOutput, values);
        return exitSuccess;
    }
    if (positional.size() < 2 || values) {
        return exitUsage;
    }
    const CommandContext out{ctx.args, jsonOutput, ctx.out, ctx.err};
    const json subject{{"from", positional[0]}, {"to", positional[1]}};
    std::vector<double> numbers;
    for (std::size_t i = 2; i < positional.size(); ++i) {
        const auto value = cv_units::parseNumber(positional[i]);
        if (!value) {
            return reportRefusal(out, subject, "cvunits:NotANumber",
                                 "'" + positional[i] + "' is not a number");
        }
        numbers.push_back(*value);
    }
    std::optional<TypedUnit> from;
    std::optional<TypedUnit> to;
    try {
        from = readTypedUnit(positional[0]);
        to = readTypedUnit(positional[1]);
    } catch (const cv_units::UnitError& e) {
        return reportUnitError(out, subject, e);
    }
    if (!jsonOutput) {
        printUnderstood(ctx.err, *from, *to);
    }
    try {
        printAnswer(out, convertTyped(*from, *to), numbers);
        return exitSuccess;
    } catch (const cv_units::UnitError& e) {
        return reportFailure(out, e, *from, *to);
    }
}

const CommandRegistration registration{
    {"convert",
     "FROM TO [VALUE...] | --batch [--values]",
     "convert values from one unit to another: prints the factor (exactly, when it is\n"
     "rational), the scale, offset and inversion, and each VALUE converted. When the\n"
     "units do not convert, explains why: the dimensions of each side, where they\n"
     "differ, the nearest fix, and close matches for unknown symbols.\n"
     "Units may be typed as people write them ('miles per hour', 'kg m', 'm·s⁻²',\n"
     "'L/100km'); the tool says what it understood.\n"
     "With --batch, reads lines FROM<TAB>TO from standard input and writes for each\n"
     "scale<TAB>offset<TAB>inverted (17 significant digits, inverted 0 or 1) or\n"
     "error<TAB>identifier<TAB>message; output = scale*input + offset, or\n"
     "scale/input + offset when inverted. With --batch --values, reads lines\n"
     "VALUE<TAB>FROM<TAB>TO and writes each value converted.",
     {"cvunits convert ft m 1 2.5", "cvunits convert degC degF 100",
      "cvunits --json convert km/h m/s 36", "cvunits convert 'miles per hour' km/h 60",
      "printf 'ft\\tm\\nHz\\ts\\n' | cvunits convert --batch",
      "printf '3\\tft\\tm\\n' | cvunits convert --batch --values"},
     convertCommand}};

} // namespace
} // namespace cvunits
