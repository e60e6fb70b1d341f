#pragma once

#include <functional>
#include <string_view>

// The host's user output stream: where display operations write for the user
// to read. Writes go to standard output as UTF-8 unless a sink is set (tests
// capture the text that way). Safe to use from any thread.
namespace CvUnitSys {

class UserOutput {
public:
    using Sink = std::function<void(std::u16string_view)>;

    static void write(std::u16string_view text);
    // An empty sink restores standard output. Returns the previous sink.
    static Sink setSink(Sink sink);
};

} // namespace CvUnitSys
