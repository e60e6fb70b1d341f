#include "Command.hpp"
#include "Refusal.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitQueryClient.hpp"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using nlohmann::json;

int relationCommand(const CommandContext& ctx) {
    if (ctx.args.size() != 2) {
        return exitUsage;
    }
    const std::string& a = ctx.args[0];
    const std::string& b = ctx.args[1];
    const ustring textA = CvUnitSys::TextServices::fromUtf8(a);
    const ustring textB = CvUnitSys::TextServices::fromUtf8(b);
    CvUnitSys::UnitQueryClient client;
    const char* relation = "unrelated";
    try {
        if (client.areEquivalent(textA, textB)) {
            relation = "equivalent";
        } else if (client.areConvertible(textA, textB)) {
            relation = "convertible";
        }
    } catch (const CvUnitSys::IUserException& e) {
        return reportRefusal(ctx, {{"a", a}, {"b", b}}, e.getMessageIdentifier(), e.what());
    }
    if (ctx.json) {
        ctx.out << json{{"a", a}, {"b", b}, {"relation", relation}}.dump(
                       2, ' ', false, json::error_handler_t::replace)
                << '\n';
    } else {
        ctx.out << relation << '\n';
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"relation",
     "A B",
     "how two unit expressions relate: \"equivalent\" (the same unit), \"convertible\"\n"
     "(values convert by a scale, an offset or an inversion) or \"unrelated\"",
     {"cvunits relation N*m J", "cvunits relation Hz s", "cvunits --json relation m s"},
     relationCommand}};

} // namespace
} // namespace cvunits
