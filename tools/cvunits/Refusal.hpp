#pragma once

#include "Command.hpp"
#include "units/cv_units.hpp"

#include <nlohmann/json.hpp>
#include <string>

namespace cvunits {

// Reports a request the library refused: with --json, `subject` (what was
// asked) gains an "error" member with the identifier and the message;
// otherwise the message goes to standard error. Returns exitUserError.
int reportRefusal(const CommandContext& ctx, nlohmann::json subject, const std::string& id,
                  const std::string& message);

// As above for the library's error: the JSON carries its identifier, message,
// column and suggestions; the plain text names each unknown symbol's
// candidates once.
int reportUnitError(const CommandContext& ctx, nlohmann::json subject,
                    const cv_units::UnitError& error);
nlohmann::json unitErrorJson(const cv_units::UnitError& error);

// A message whose causes were joined to it without their full stops minding
// the colon ("... expression.: Cannot parse") reads as one sentence.
std::string tidyMessage(std::string message);

} // namespace cvunits
