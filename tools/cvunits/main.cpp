#include "Command.hpp"
#include "UserDatabaseFiles.hpp"

#include <exception>
#include <iostream>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

namespace {

using cvunits::Command;
using cvunits::CommandRegistry;

void printCommandUsage(std::ostream& out, const Command& c) {
    out << "  cvunits " << c.name << (c.synopsis.empty() ? "" : " ") << c.synopsis << '\n';
}

void printUsage(std::ostream& out) {
    out << "usage: cvunits [--json] [--db FILE]... COMMAND [ARGS...]\n"
           "       cvunits [--db FILE]...    (on a terminal: the prompt of 'cvunits shell')\n"
           "\ncommands:\n";
    for (const auto& c : CommandRegistry::all()) {
        printCommandUsage(out, c);
    }
    out << "\noptions:\n  --json      machine-readable output\n"
           "  --db FILE   also use the user-defined unit database FILE (repeatable; the\n"
           "              format is described in docs/user-databases.md)\n"
           "  --help      this text; 'cvunits COMMAND --help' explains one command\n";
    out << "\nexit codes: 0 success, 1 user error, 2 usage error, 3 internal error\n";
}

void printCommandHelp(std::ostream& out, const Command& c) {
    out << "usage:\n";
    printCommandUsage(out, c);
    out << '\n' << c.help << '\n';
    if (!c.examples.empty()) {
        out << "\nexamples:\n";
        for (const auto& e : c.examples) {
            out << "  " << e << '\n';
        }
    }
}

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

} // namespace

int main(int argc, char** argv) {
    // Nothing here reads SQLite's memory statistics: without them its every
    // allocation skips a lock (a tenth of the built-in database's load).
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    cvunits::CommandContext ctx{{}, false, std::cout, std::cerr};
    std::vector<std::string> databaseFiles;
    int i = 1;
    for (; i < argc && std::string(argv[i]).starts_with("-"); ++i) {
        const std::string option = argv[i];
        if (isHelp(option)) {
            printUsage(std::cout);
            return cvunits::exitSuccess;
        }
        if (option == "--json") {
            ctx.json = true;
        } else if (option == "--db") {
            if (i + 1 == argc) {
                std::cerr << "cvunits: --db needs a FILE\n\n";
                printUsage(std::cerr);
                return cvunits::exitUsage;
            }
            databaseFiles.emplace_back(argv[++i]);
        } else {
            std::cerr << "cvunits: unknown option " << option << "\n\n";
            printUsage(std::cerr);
            return cvunits::exitUsage;
        }
    }
    // Someone at a terminal who names no command is asked what to convert.
    const bool atTerminal = isatty(STDIN_FILENO) != 0 && isatty(STDOUT_FILENO) != 0;
    if (i == argc && !atTerminal) {
        printUsage(std::cerr);
        return cvunits::exitUsage;
    }
    const Command* command = CommandRegistry::find(i == argc ? "shell" : argv[i]);
    if (command == nullptr) {
        std::cerr << "cvunits: unknown command " << argv[i] << "\n\n";
        printUsage(std::cerr);
        return cvunits::exitUsage;
    }
    if (i < argc) {
        ctx.args.assign(argv + i + 1, argv + argc);
    }
    if (ctx.args.size() == 1 && isHelp(ctx.args[0])) {
        printCommandHelp(std::cout, *command);
        return cvunits::exitSuccess;
    }
    try {
        if (!cvunits::registerUserDatabaseFiles(databaseFiles, std::cerr)) {
            return cvunits::exitUserError;
        }
        const int rc = command->run(ctx);
        if (rc == cvunits::exitUsage) {
            printCommandHelp(std::cerr, *command);
        }
        return rc;
    } catch (const std::exception& e) {
        std::cerr << "cvunits: internal error: " << e.what() << '\n';
        return cvunits::exitInternalError;
    }
}
