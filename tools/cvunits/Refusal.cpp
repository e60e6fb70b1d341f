#include "Refusal.hpp"

#include <ostream>
#include <set>

namespace cvunits {

int reportRefusal(const CommandContext& ctx, nlohmann::json subject, const std::string& id,
                  const std::string& message) {
    if (ctx.json) {
        subject["error"] = {{"id", id}, {"message", message}};
        ctx.out << subject.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        ctx.err << "error: " << message << '\n';
    }
    return exitUserError;
}

std::string tidyMessage(std::string message) {
    for (std::size_t at = message.find(".:"); at != std::string::npos;
         at = message.find(".:", at)) {
        message.erase(at, 1);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

nlohmann::json unitErrorJson(const cv_units::UnitError& error) {
    nlohmann::json suggestions = nlohmann::json::array();
    for (const cv_units::Suggestion& s : error.suggestions()) {
        suggestions.push_back({{"symbol", s.symbol}, {"didYouMean", s.candidates}});
    }
    nlohmann::json out{{"id", error.identifier()},
                       {"message", tidyMessage(error.what())},
                       {"suggestions", suggestions}};
    if (error.column() != 0) {
        out["column"] = error.column();
    }
    return out;
}

int reportUnitError(const CommandContext& ctx, nlohmann::json subject,
                    const cv_units::UnitError& error) {
    if (ctx.json) {
        subject["error"] = unitErrorJson(error);
        ctx.out << subject.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return exitUserError;
    }
    const std::string message = tidyMessage(error.what());
    ctx.err << "error: " << message << '\n';
    std::set<std::string> said;
    for (const cv_units::Suggestion& s : error.suggestions()) {
        if (s.candidates.empty() || !said.insert(s.symbol).second) {
            continue;
        }
        std::string line = "unknown symbol '" + s.symbol + "': did you mean";
        for (std::size_t i = 0; i < s.candidates.size(); ++i) {
            line += (i == 0 ? " " : ", ") + s.candidates[i];
        }
        line += "?";
        if (message.find(line) == std::string::npos) {
            ctx.err << "  " << line << '\n';
        }
    }
    return exitUserError;
}

} // namespace cvunits
