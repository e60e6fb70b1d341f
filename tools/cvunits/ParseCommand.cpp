#include "Command.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>

namespace cvunits {
namespace {

using CvUnitSys::TextServices;

int parseCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 1) {
        return exitUsage;
    }
    UnitExpr expr;
    try {
        parseUnitExprThrows(TextServices::fromUtf8(ctx.args[0]), expr);
    } catch (const CvUnitSys::IUserException& e) {
        ctx.err << "error: " << e.what() << '\n';
        return exitUserError;
    } catch (const std::out_of_range&) {
        ctx.err << "error: the expression is not valid Unicode text\n";
        return exitUserError;
    }
    if (ctx.json) {
        auto factors = nlohmann::json::array();
        for (const auto& [symbol, exponent] : expr.getExpr()) {
            factors.push_back({{"symbol", TextServices::toUtf8(symbol)},
                               {"exponent", TextServices::toUtf8(exponent.toUString())},
                               {"power", exponent.getSimplifiedExpo()}});
        }
        ctx.out << nlohmann::json{{"expression", ctx.args[0]}, {"factors", factors}}.dump(2)
                << '\n';
        return exitSuccess;
    }
    for (const auto& [symbol, exponent] : expr.getExpr()) {
        ctx.out << TextServices::toUtf8(symbol) << '\t'
                << TextServices::toUtf8(exponent.toUString()) << '\t'
                << exponent.getSimplifiedExpo() << '\n';
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"parse",
     "EXPR",
     "print each symbol of the unit expression with its exponent,\n"
     "as numerator:denominator parts and as the simplified power",
     {"cvunits parse 'kg*m/s^2'", "cvunits parse 'm^(1/2)'"},
     parseCommand}};

} // namespace
} // namespace cvunits
