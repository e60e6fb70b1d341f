#include "LineEditor.hpp"

#include "LibEdit.hpp"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace cvunits {

namespace {

// Room for a long session without the file growing for ever.
constexpr int historySize = 1000;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// The terminal as the prompt found it, put back by a signal that ends the
// process between two questions.
termios found{};

void restoreAndDie(int signo) {
    tcsetattr(STDIN_FILENO, TCSANOW, &found);
    std::signal(signo, SIG_DFL);
    std::raise(signo);
}

constexpr int fatalSignals[] = {SIGHUP, SIGQUIT, SIGTERM};

// libedit counts characters where the completion counts UTF-8 bytes.
int characterCount(std::string_view utf8) {
    int count = 0;
    for (const char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

} // namespace

std::filesystem::path historyFilePath() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state != '\0') {
        return std::filesystem::path(state) / "cvunits" / "history";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".cvunits_history";
    }
    return {};
}

LineEditor::LineEditor(std::filesystem::path historyFile, Completer completer)
    : historyFile_(std::move(historyFile)), completer_(std::move(completer)) {
    // First, so that a missing libedit leaves the terminal and the signals alone.
    const LibEdit& edit = LibEdit::get();
    // Without the user's character type, libedit cannot take UTF-8 keystrokes.
    std::setlocale(LC_CTYPE, "");
    // No SA_RESTART: Ctrl-C must end the read under way.
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    tcgetattr(STDIN_FILENO, &found);
    between_ = found;
    between_.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    between_.c_cc[VMIN] = 1;
    between_.c_cc[VTIME] = 0;
    action.sa_handler = restoreAndDie;
    for (const int signo : fatalSignals) {
        sigaction(signo, &action, nullptr);
    }

    el_ = edit.init("cvunits", stdin, stdout, stderr);
    history_ = edit.historyInit();
    HistEvent event;
    edit.history(history_, &event, H_SETSIZE, historySize);
    edit.history(history_, &event, H_SETUNIQUE, 1);
    if (!historyFile_.empty()) {
        edit.history(history_, &event, H_LOAD, historyFile_.c_str());
    }
    edit.set(el_, EL_CLIENTDATA, this);
    edit.set(el_, EL_PROMPT, &LineEditor::promptOf);
    edit.set(el_, EL_EDITOR, "emacs");
    // libedit puts the terminal back before any of these signals reaches us,
    // and takes it again afterwards.
    edit.set(el_, EL_SIGNAL, 1);
    edit.set(el_, EL_HIST, edit.history, history_);
    edit.set(el_, EL_GETCFN, &LineEditor::readKey);
    // Through the wide interface, which keeps these texts where they are: the
    // narrow one copies them and never frees the copies.
    edit.wset(el_, EL_ADDFN, L"cvunits-complete", L"complete a unit", &LineEditor::complete);
    edit.set(el_, EL_BIND, "^I", "cvunits-complete", nullptr);
    // The user's own key bindings in ~/.editrc.
    edit.source(el_, nullptr);
}

LineEditor::~LineEditor() {
    LibEdit::get().end(el_);
    LibEdit::get().historyEnd(history_);
    tcsetattr(STDIN_FILENO, TCSANOW, &found);
    std::signal(SIGINT, SIG_DFL);
    for (const int signo : fatalSignals) {
        std::signal(signo, SIG_DFL);
    }
}

LineEditor::Reading LineEditor::read(const std::string& prompt) {
    prompt_ = prompt;
    int count = 0;
    // A Ctrl-C that came while an answer was printed abandons the line too.
    const char* line = interrupted != 0 ? nullptr : LibEdit::get().gets(el_, &count);
    // libedit hands the terminal back in its ordinary mode, whose line
    // discipline would swallow a Ctrl-D typed while the answer is written:
    // until the next question, keys wait as they are, unseen. libedit takes
    // the terminal from this mode as from its own.
    tcsetattr(STDIN_FILENO, TCSANOW, &between_);
    if (interrupted != 0) {
        interrupted = 0;
        std::fputc('\n', stdout);
        return {Status::Interrupted, {}};
    }
    if (line == nullptr || count <= 0) {
        return {Status::End, {}};
    }
    std::string text(line, static_cast<std::size_t>(count));
    if (text.ends_with('\n')) {
        text.pop_back();
    }
    return {Status::Line, std::move(text)};
}

void LineEditor::remember(const std::string& line) {
    const LibEdit& edit = LibEdit::get();
    HistEvent event;
    edit.history(history_, &event, H_ENTER, line.c_str());
    // Saved at once: a closed terminal ends the process without unwinding.
    if (!historyFile_.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(historyFile_.parent_path(), ignored);
        edit.history(history_, &event, H_SAVE, historyFile_.c_str());
    }
}

// libedit's own reading retries a read that a signal interrupts, so a Ctrl-C
// would wait for the next key: this one gives up as soon as the flag is up.
// SIGINT stays blocked but while waiting, so that it cannot slip in between
// the look at the flag and the wait.
int LineEditor::readKey(editline* el, wchar_t* key) {
    LineEditor* self = nullptr;
    LibEdit::get().getValue(el, EL_CLIENTDATA, &self);
    sigset_t interrupt;
    sigset_t previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    for (;;) {
        pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
        pollfd input{STDIN_FILENO, POLLIN, 0};
        while (interrupted == 0 && ppoll(&input, 1, nullptr, &previous) < 0 && errno == EINTR) {
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        if (interrupted != 0) {
            self->keyState_ = {};
            errno = EINTR;
            return -1;
        }
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return got < 0 ? -1 : 0;
        }
        constexpr auto invalid = static_cast<std::size_t>(-1);
        std::size_t used = std::mbrtowc(key, &byte, 1, &self->keyState_);
        if (used == invalid) {
            // The byte may begin a character of its own after a broken one.
            self->keyState_ = {};
            used = std::mbrtowc(key, &byte, 1, &self->keyState_);
        }
        if (used == invalid) {
            self->keyState_ = {};
            *key = L'\uFFFD';
        } else if (used == static_cast<std::size_t>(-2)) {
            continue; // more bytes of the character to come
        }
        return 1;
    }
}

char* LineEditor::promptOf(editline* el) {
    LineEditor* self = nullptr;
    LibEdit::get().getValue(el, EL_CLIENTDATA, &self);
    return self->prompt_.data();
}

unsigned char LineEditor::complete(editline* el, int) {
    const LibEdit& edit = LibEdit::get();
    LineEditor* self = nullptr;
    edit.getValue(el, EL_CLIENTDATA, &self);
    const LineInfo* info = edit.line(el);
    const std::string_view before(info->buffer,
                                  static_cast<std::size_t>(info->cursor - info->buffer));
    const Completion completion = self->completer_(before);
    if (completion.replaced > 0) {
        edit.deleteString(el, characterCount(before.substr(before.size() - completion.replaced)));
    }
    if (!completion.insert.empty() && edit.insertString(el, completion.insert.c_str()) != 0) {
        return CC_ERROR;
    }
    if (completion.choices.empty()) {
        return completion.insert.empty() && completion.replaced == 0 ? CC_ERROR : CC_REFRESH;
    }
    // The terminal is raw here: a line feed alone would not return the carriage.
    std::fputs("\r\n", stdout);
    for (const std::string& choice : completion.choices) {
        std::fputs(choice.c_str(), stdout);
        std::fputs("\r\n", stdout);
    }
    return CC_REDISPLAY;
}

} // namespace cvunits
