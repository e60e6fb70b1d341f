#include "Command.hpp"
#include "Refusal.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitQueryClient.hpp"

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace cvunits {
namespace {

using nlohmann::json;

// The qualified alternatives, which the query client joins with ", ".
std::vector<std::string> alternativesOf(const ustring& joined) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < joined.size()) {
        std::size_t end = joined.find(u", ", start);
        if (end == ustring::npos) {
            end = joined.size();
        }
        out.push_back(CvUnitSys::TextServices::toUtf8(joined.substr(start, end - start)));
        start = end + 2;
    }
    return out;
}

int fixCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 1) {
        return exitUsage;
    }
    const std::string& text = ctx.args[0];
    const ustring input = CvUnitSys::TextServices::fromUtf8(text);
    CvUnitSys::UnitQueryClient client;
    std::string best;
    std::vector<std::string> alternatives;
    try {
        best = CvUnitSys::TextServices::toUtf8(client.getBestApproximation(input));
        alternatives = alternativesOf(client.getQualificationForAmbiguousUnit(input));
    } catch (const CvUnitSys::IUserException& e) {
        return reportRefusal(ctx, {{"text", text}}, e.getMessageIdentifier(), e.what());
    }
    if (best.empty()) {
        return reportRefusal(ctx, {{"text", text}}, "cvunits:NotAUnitExpression",
                             "'" + text + "' is not a unit expression");
    }
    if (ctx.json) {
        ctx.out << json{{"text", text}, {"best", best}, {"qualified", alternatives}}.dump(
                       2, ' ', false, json::error_handler_t::replace)
                << '\n';
        return exitSuccess;
    }
    ctx.out << best << '\n';
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
        ctx.out << (i == 0 ? "qualified: " : ", ") << alternatives[i];
    }
    if (!alternatives.empty()) {
        ctx.out << '\n';
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"fix",
     "TEXT",
     "correct a unit expression: prints it with every unknown symbol replaced by the\n"
     "closest known one (and an unknown quantity after @ by the closest quantity), then,\n"
     "when a symbol is defined by several user databases, the expression qualified by\n"
     "each of them",
     {"cvunits fix metr/sec", "cvunits fix 'm@lenth'", "cvunits --json fix kgg"},
     fixCommand}};

} // namespace
} // namespace cvunits
