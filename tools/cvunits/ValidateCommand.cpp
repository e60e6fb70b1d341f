#include "Command.hpp"
#include "UserDatabaseFiles.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/WarningSink.hpp"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;

nlohmann::json argumentsOf(const BaseMsgID& id) {
    auto args = nlohmann::json::array();
    for (const MsgArg& arg : id.getArgs()) {
        if (const auto* text = boost::get<ustring>(&arg)) {
            args.push_back(TextServices::toUtf8(*text));
        } else {
            args.push_back(boost::get<std::int64_t>(arg));
        }
    }
    return args;
}

nlohmann::json itemsOf(const Diagnostic& d) {
    auto items = nlohmann::json::array();
    for (const DiagnosticItem& item : d.items()) {
        nlohmann::json entry = {{"id", item.id.getQualifiedId()},
                                {"arguments", argumentsOf(item.id)},
                                {"message", formatMessage(item.id)}};
        if (!item.extraText.empty()) {
            entry["detail"] = item.extraText;
        }
        auto causes = nlohmann::json::array();
        for (const Diagnostic& cause : item.causes) {
            for (auto& c : itemsOf(cause)) {
                causes.push_back(std::move(c));
            }
        }
        if (!causes.empty()) {
            entry["causes"] = std::move(causes);
        }
        items.push_back(std::move(entry));
    }
    return items;
}

// Registering the files runs what the host runs on a change of its user
// databases: reading, loading, validation and duplicate detection. Each
// reports its own warning, and every item names the entry it concerns.
int validateCommand(const CommandContext& ctx) {
    if (ctx.args.empty()) {
        return exitUsage;
    }
    std::vector<Diagnostic> warnings;
    {
        const WarningCollector collector;
        if (!registerUserDatabaseFiles(ctx.args, ctx.err)) {
            return exitUserError;
        }
        warnings = collector.warnings();
    }
    if (ctx.json) {
        auto items = nlohmann::json::array();
        for (const Diagnostic& d : warnings) {
            for (auto& item : itemsOf(d)) {
                items.push_back(std::move(item));
            }
        }
        ctx.out << nlohmann::json{{"files", ctx.args},
                                  {"clean", warnings.empty()},
                                  {"warnings", items}}
                       .dump(2)
                << '\n';
    } else {
        std::size_t count = 0;
        for (const Diagnostic& d : warnings) {
            ctx.out << formatDiagnostic(d) << '\n';
            count += d.items().size();
        }
        if (warnings.empty()) {
            ctx.out << "no problems found\n";
        } else {
            ctx.out << count << (count == 1 ? " problem" : " problems") << " found\n";
        }
    }
    return warnings.empty() ? exitSuccess : exitUserError;
}

const CommandRegistration registration{
    {"validate",
     "FILE...",
     "load each file as a user-defined unit database, together with the built-in\n"
     "one and those given with --db, validate every unit and look for duplicates;\n"
     "print every problem with the entry it concerns. Exit code 0 when there is\n"
     "none, 1 when there are any. The format is described in docs/user-databases.md",
     {"cvunits validate examples/user-databases/shop_units.xml",
      "cvunits --json validate mine.xml"},
     validateCommand}};

} // namespace
} // namespace cvunits
