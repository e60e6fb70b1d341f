#pragma once

// The questions and answers of the interactive prompt, apart from the terminal
// that carries them: "You have:" then "You want:", or one line "3 ft in m".

#include "FriendlyInput.hpp"
#include "units/db/UnitDBSet.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace cvunits {

// The unit text the library is given for what the user typed.
std::string readUnitText(std::string_view typed);

// One session: remembers the unit of "You have:" until "You want:" is
// answered. Every line gets one answer on `out`, an error included. One thread.
class PromptSession {
public:
    explicit PromptSession(std::ostream& out);

    // "You have: " or "You want: ".
    const std::string& prompt() const;
    // False when the line asks to leave.
    bool answer(std::string_view line);
    // Forgets a question left half asked.
    void abandon();

    const CvUnitSys::UnitDBSet& databases() const { return set_; }

private:
    struct Quantity {
        double value;
        std::string typedUnit;
        TypedUnit reading; // what the typed unit was read as
        std::string unit;  // the reading's text, in the library's notation
    };

    std::optional<Quantity> readQuantity(std::string_view text);
    // False when the units do not convert.
    bool convert(const Quantity& have, std::string_view want);
    void describe(const Quantity& have);
    void listConvertible(const std::string& unit);
    bool answerQuestion(std::string_view line);

    std::ostream& out_;
    CvUnitSys::UnitDBSet set_;
    std::optional<Quantity> have_;
};

} // namespace cvunits
