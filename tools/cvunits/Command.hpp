#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cvunits {

// Exit codes tell scripts what kind of failure happened.
constexpr int exitSuccess = 0;
constexpr int exitUserError = 1;
constexpr int exitUsage = 2;
constexpr int exitInternalError = 3;

struct CommandContext {
    std::vector<std::string> args; // the command's own arguments, without its name
    bool json = false;
    std::ostream& out;
    std::ostream& err;
};

// One subcommand of the tool. Each command registers itself from its own file
// through a static CommandRegistration, so adding one never touches main.
struct Command {
    std::string name;
    std::string synopsis; // the arguments, as shown in the usage line
    std::string help;     // what it does, one or more lines
    std::vector<std::string> examples;
    int (*run)(const CommandContext&);
};

class CommandRegistry {
public:
    static void add(Command command);
    static const Command* find(const std::string& name);
    // Sorted by name.
    static const std::vector<Command>& all();
};

struct CommandRegistration {
    explicit CommandRegistration(Command command) { CommandRegistry::add(std::move(command)); }
};

} // namespace cvunits
