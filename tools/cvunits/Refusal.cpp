#include "Refusal.hpp"

#include <ostream>

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

} // namespace cvunits
