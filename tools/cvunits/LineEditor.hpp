#pragma once

// Line editing for the interactive prompt, through libedit: cursor keys,
// history kept in a file between runs, and a completion bound to TAB.

#include <cwchar>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <termios.h>
#include <vector>

struct editline;
struct history;

namespace cvunits {

// What TAB does to the text before the cursor: `replaced` bytes at its end
// give way to `insert`; `choices` are listed when TAB cannot narrow further.
struct Completion {
    std::size_t replaced = 0;
    std::string insert;
    std::vector<std::string> choices;
};

// Owns the terminal while it lives and restores it when destroyed, or when a
// signal ends the process while a line is read. One thread.
class LineEditor {
public:
    using Completer = std::function<Completion(std::string_view beforeCursor)>;

    enum class Status { Line, Interrupted, End };
    struct Reading {
        Status status;
        std::string line; // without the newline
    };

    // An empty `historyFile` keeps no history between runs.
    LineEditor(std::filesystem::path historyFile, Completer completer);
    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Ctrl-C gives Interrupted with the line abandoned; Ctrl-D on an empty
    // line, or a closed terminal, gives End.
    Reading read(const std::string& prompt);
    void remember(const std::string& line);

private:
    static char* promptOf(editline* el);
    static unsigned char complete(editline* el, int key);
    static int readKey(editline* el, wchar_t* key);

    editline* el_;
    history* history_;
    std::filesystem::path historyFile_;
    Completer completer_;
    std::string prompt_;
    std::mbstate_t keyState_{};
    termios between_{}; // between two questions: keys kept, not echoed
};

// Where the history lives: $XDG_STATE_HOME/cvunits/history, else
// ~/.cvunits_history; empty when neither can be told.
std::filesystem::path historyFilePath();

} // namespace cvunits
