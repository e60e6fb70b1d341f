#include "Command.hpp"
#include "LineEditor.hpp"
#include "PromptSession.hpp"
#include "UnitCompletion.hpp"

#include <iostream>
#include <unistd.h>

namespace cvunits {
namespace {

// On a terminal: line editing, completion and history.
void converse(PromptSession& session) {
    LineEditor editor(historyFilePath(), [&session](std::string_view beforeCursor) {
        return completeUnitWord(session.databases(), beforeCursor);
    });
    for (;;) {
        const LineEditor::Reading reading = editor.read(session.prompt());
        if (reading.status == LineEditor::Status::End) {
            std::cout << '\n';
            return;
        }
        if (reading.status == LineEditor::Status::Interrupted) {
            session.abandon();
            continue;
        }
        if (reading.line.find_first_not_of(" \t") != std::string::npos) {
            editor.remember(reading.line);
        }
        if (!session.answer(reading.line)) {
            return;
        }
        std::cout.flush();
    }
}

// From a pipe or a file: the same questions, without prompts, each answer
// written out before the next line is read.
void answerLines(PromptSession& session) {
    for (std::string line; std::getline(std::cin, line);) {
        if (!session.answer(line)) {
            return;
        }
        std::cout.flush();
    }
}

int shellCommand(const CommandContext& ctx) {
    if (!ctx.args.empty()) {
        return exitUsage;
    }
    PromptSession session(std::cout);
    if (isatty(STDIN_FILENO) != 0) {
        converse(session);
    } else {
        answerLines(session);
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"shell",
     "",
     "ask for conversions at a prompt: 'You have:' takes a value and a unit, 'You\n"
     "want:' the unit to convert to; or one line '3 ft in m'. TAB completes unit\n"
     "names, 'UNIT?' lists the units UNIT converts to, an empty 'You want:' describes\n"
     "the unit, 'help' says more; history is kept in $XDG_STATE_HOME/cvunits/history\n"
     "or ~/.cvunits_history. 'quit' or Ctrl-D leaves. This is also what cvunits does\n"
     "without a command on a terminal. When standard input is not a terminal, each\n"
     "line is answered without prompts or line editing.",
     {"cvunits shell", "printf '3 ft in m\\n100 degC\\ndegF\\n' | cvunits shell"},
     shellCommand}};

} // namespace
} // namespace cvunits
