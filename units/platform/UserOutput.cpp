#include "units/platform/UserOutput.hpp"

#include "units/platform/TextServices.hpp"

#include <iostream>
#include <mutex>

namespace CvUnitSys {

namespace {

struct Output {
    std::mutex lock;
    UserOutput::Sink sink;
};

Output& output() {
    static Output instance;
    return instance;
}

} // namespace

void UserOutput::write(std::u16string_view text) {
    Output& o = output();
    std::lock_guard guard(o.lock);
    if (o.sink) {
        o.sink(text);
    } else {
        std::cout << TextServices::toUtf8(text) << std::flush;
    }
}

UserOutput::Sink UserOutput::setSink(Sink sink) {
    Output& o = output();
    std::lock_guard guard(o.lock);
    std::swap(o.sink, sink);
    return sink;
}

} // namespace CvUnitSys
