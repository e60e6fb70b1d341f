#pragma once

#include "Command.hpp"

#include <nlohmann/json.hpp>
#include <string>

namespace cvunits {

// Reports a request the library refused: with --json, `subject` (what was
// asked) gains an "error" member with the identifier and the message;
// otherwise the message goes to standard error. Returns exitUserError.
int reportRefusal(const CommandContext& ctx, nlohmann::json subject, const std::string& id,
                  const std::string& message);

} // namespace cvunits
