#include "Command.hpp"

#include <algorithm>

namespace cvunits {

namespace {
// A function-local static: registrations run during static initialisation of
// other files, in an order the language leaves open.
std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}
} // namespace

void CommandRegistry::add(Command command) {
    auto& list = commands();
    auto pos = std::lower_bound(list.begin(), list.end(), command.name,
                                [](const Command& c, const std::string& n) { return c.name < n; });
    list.insert(pos, std::move(command));
}

const Command* CommandRegistry::find(const std::string& name) {
    for (const auto& c : commands()) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

const std::vector<Command>& CommandRegistry::all() {
    return commands();
}

} // namespace cvunits
