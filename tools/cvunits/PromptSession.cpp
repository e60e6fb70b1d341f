#include "PromptSession.hpp"

#include "Command.hpp"
#include "ComparisonReport.hpp"
#include "FriendlyInput.hpp"
#include "TypedConversion.hpp"
#include "units/cv_units.hpp"
#include "units/frontdoor/NumberText.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace cvunits {

namespace {

using CvUnitSys::TextServices;

const std::string haveQuestion = "You have: ";
const std::string wantQuestion = "You want: ";
const std::string indent = "  ";
// Where the list of convertible units wraps.
constexpr std::size_t lineWidth = 78;

const char* const helpText =
    "Convert by answering two questions:\n"
    "  You have: 3 ft\n"
    "  You want: m\n"
    "or ask in one line: 3 ft in m (or 3 ft to m). Without a number, 1 is meant.\n"
    "  TAB           completes the unit being typed, or lists what fits\n"
    "  UNIT?         lists the units UNIT converts to; at 'You want:', a lone ?\n"
    "                lists those of the unit you have\n"
    "  (empty)       at 'You want:', describes the unit you have\n"
    "  Up, Down      step through earlier lines, kept between runs\n"
    "  Ctrl-C        abandons the question\n"
    "  quit, Ctrl-D  leaves\n";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A control character would reach the terminal with the answer that quotes it.
std::optional<std::size_t> controlColumn(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return i + 1;
        }
    }
    return std::nullopt;
}

// The last " in " or " to " that leaves a unit on both sides: "3 in in cm"
// asks about inches.
std::optional<std::pair<std::string_view, std::string_view>> splitQuestion(std::string_view line) {
    for (std::size_t end = line.size(); end > 0;) {
        const std::size_t in = line.rfind(" in ", end - 1);
        const std::size_t to = line.rfind(" to ", end - 1);
        const std::size_t at = in == std::string_view::npos   ? to
                               : to == std::string_view::npos ? in
                                                              : std::max(in, to);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view from = trimmed(line.substr(0, at));
        const std::string_view want = trimmed(line.substr(at + 4));
        if (!from.empty() && !want.empty()) {
            return std::pair{from, want};
        }
        end = at;
    }
    return std::nullopt;
}

// Runs another command of the tool, its errors on the same stream as its
// answer so that each question gets one answer in one place.
bool runCommand(const std::string& name, std::vector<std::string> args, std::ostream& out) {
    const Command* command = CommandRegistry::find(name);
    return command != nullptr && command->run({std::move(args), false, out, out}) == exitSuccess;
}

void printColumns(std::ostream& out, const std::vector<std::string>& words) {
    // Characters, not bytes, line the columns up: "µmHg" takes four places.
    std::vector<std::size_t> widths;
    for (const std::string& word : words) {
        widths.push_back(TextServices::fromUtf8(word).size());
    }
    const std::size_t width = *std::max_element(widths.begin(), widths.end()) + 2;
    const std::size_t columns = std::max<std::size_t>(1, (lineWidth - indent.size()) / width);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool last = (i + 1) % columns == 0 || i + 1 == words.size();
        out << (i % columns == 0 ? indent : "") << words[i]
            << (last ? "\n" : std::string(width - widths[i], ' '));
    }
}

// The exact conversion, when it says more than the decimal answer:
// "factor 381/1250", "formula 9/5*x + 32", but nothing for "1000".
std::optional<std::string> exactNote(const std::optional<std::string>& exact) {
    if (!exact) {
        return std::nullopt;
    }
    const std::string& text = *exact;
    if (text.find('x') != std::string::npos) {
        return "formula " + text;
    }
    if (text.find('/') != std::string::npos) {
        return "factor " + text;
    }
    return std::nullopt;
}

// The error, with what the unknown symbols in it may have meant.
void printError(std::ostream& out, const cv_units::UnitError& error) {
    out << indent << "error: " << error.summary() << '\n';
    std::vector<std::string> named;
    for (const auto& [symbol, candidates] : error.suggestions()) {
        // The text is checked against itself, so each unknown symbol comes twice.
        if (std::find(named.begin(), named.end(), symbol) != named.end()) {
            continue;
        }
        named.push_back(symbol);
        out << indent << indent << "unknown symbol '" << symbol << "'";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            out << (i == 0 ? ": did you mean " : ", ") << candidates[i];
        }
        out << (candidates.empty() ? "\n" : "?\n");
    }
}

} // namespace

std::string readUnitText(std::string_view typed) {
    // Input as people type it ("miles per hour"). A text that reading refuses,
    // or one that carries a number ("L/100km", which an answer in this form
    // cannot scale), goes to the library as typed, whose error names the trouble.
    try {
        TypedUnit unit = readTypedUnit(typed);
        if (!unit.scaled) {
            return std::move(unit.text);
        }
    } catch (const cv_units::UnitError&) {
    }
    return std::string(typed);
}

PromptSession::PromptSession(std::ostream& out) : out_(out) {
    set_.initializeIfNeeded();
}

const std::string& PromptSession::prompt() const {
    return have_ ? wantQuestion : haveQuestion;
}

void PromptSession::abandon() {
    have_.reset();
}

bool PromptSession::answer(std::string_view line) {
    if (const auto column = controlColumn(line)) {
        out_ << indent << "error: a control character at column " << *column
             << " is not part of a unit\n";
        return true;
    }
    const std::string_view text = trimmed(line);
    if (text == "quit" || text == "exit") {
        return false;
    }
    if (text == "help" || (text == "?" && !have_)) {
        out_ << helpText;
        return true;
    }
    if (text.ends_with('?')) {
        const std::string_view unit = trimmed(text.substr(0, text.size() - 1));
        if (!unit.empty()) {
            listConvertible(readUnitText(unit));
        } else {
            listConvertible(have_->unit);
        }
        return true;
    }
    return answerQuestion(text);
}

bool PromptSession::answerQuestion(std::string_view text) {
    if (have_) {
        // A unit that does not fit leaves the question open for another.
        if (text.empty()) {
            describe(*have_);
            have_.reset();
        } else if (convert(*have_, text)) {
            have_.reset();
        }
        return true;
    }
    if (text.empty()) {
        return true;
    }
    if (const auto question = splitQuestion(text)) {
        if (const auto have = readQuantity(question->first)) {
            convert(*have, question->second);
        }
        return true;
    }
    have_ = readQuantity(text);
    return true;
}

// "3 ft", "-40 degC", "ft" (one foot). Answers the error and gives nothing
// when the text is not a quantity.
std::optional<PromptSession::Quantity> PromptSession::readQuantity(std::string_view text) {
    Quantity quantity{1.0, std::string(text), {}, {}};
    const std::size_t space = text.find_first_of(" \t");
    if (const auto value = cv_units::parseNumber(std::string(text.substr(0, space)))) {
        quantity.value = *value;
        quantity.typedUnit =
            space == std::string_view::npos ? "" : std::string(trimmed(text.substr(space)));
        if (quantity.typedUnit.empty()) {
            out_ << indent << "error: give a unit after " << text << '\n';
            return std::nullopt;
        }
    }
    try {
        quantity.reading = readTypedUnit(quantity.typedUnit);
    } catch (const cv_units::UnitError& error) {
        printError(out_, error);
        return std::nullopt;
    }
    quantity.unit = quantity.reading.text;
    return quantity;
}

bool PromptSession::convert(const Quantity& have, std::string_view want) {
    std::string unit(want);
    try {
        TypedUnit target = readTypedUnit(want);
        unit = target.text;
        // The numbers typed texts carry ("L/100km") scale the answer.
        const TypedConversion conversion = convertTyped(have.reading, std::move(target));
        out_ << indent << cv_units::shortestText(have.value) << ' ' << have.typedUnit << " = "
             << cv_units::shortestText(conversion(have.value)) << ' ' << want;
        if (const auto exact = exactNote(conversion.exact)) {
            out_ << "  (" << *exact << ")";
        }
        out_ << '\n';
        return true;
    } catch (const cv_units::UnitError& failure) {
        out_ << indent << "error: " << failure.summary() << '\n';
        try {
            const cv_units::Comparison comparison = cv_units::compare(have.unit, unit);
            if (!comparison.convertible) {
                printExplanation(out_, comparison, have.typedUnit, std::string(want),
                                 indent + indent);
            }
        } catch (const cv_units::UnitError&) {
            // The message above already says why the text is no unit.
        }
        return false;
    }
}

void PromptSession::describe(const Quantity& have) {
    if (!set_.findUnit(TextServices::fromUtf8(have.unit)).empty()) {
        std::ostringstream info;
        if (runCommand("info", {have.unit}, info)) {
            std::istringstream lines(info.str());
            for (std::string line; std::getline(lines, line);) {
                out_ << (line.empty() ? "" : indent) << line << '\n';
            }
            return;
        }
    }
    out_ << indent << have.typedUnit << " is an expression of units; it converts to:\n";
    listConvertible(have.unit);
}

void PromptSession::listConvertible(const std::string& unit) {
    std::ostringstream similar;
    if (!runCommand("similar", {unit}, similar)) {
        out_ << indent << "error: cannot tell the units '" << unit << "' converts to\n";
        return;
    }
    std::vector<std::string> units;
    std::istringstream lines(similar.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            units.push_back(line);
        }
    }
    if (units.empty()) {
        out_ << indent << "no unit is known to convert to '" << unit << "'\n";
        return;
    }
    printColumns(out_, units);
}

} // namespace cvunits
