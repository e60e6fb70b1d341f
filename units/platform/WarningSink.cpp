#include "units/platform/WarningSink.hpp"

#include "units/platform/MessageCatalogue.hpp"

#include <iostream>
#include <utility>

namespace CvUnitSys {

namespace {

std::mutex& handlerMutex() {
    static std::mutex m;
    return m;
}

WarningSink::Handler& currentHandler() {
    static WarningSink::Handler h;
    return h;
}

void writeToStderr(const Diagnostic& d) {
    std::cerr << "Warning: " << formatDiagnostic(d) << '\n';
}

} // namespace

void WarningSink::report(const Diagnostic& d) {
    Handler h;
    {
        std::lock_guard lock(handlerMutex());
        h = currentHandler();
    }
    if (h) {
        h(d);
    } else {
        writeToStderr(d);
    }
}

WarningSink::Handler WarningSink::setHandler(Handler handler) {
    std::lock_guard lock(handlerMutex());
    return std::exchange(currentHandler(), std::move(handler));
}

WarningCollector::WarningCollector() {
    previous_ = WarningSink::setHandler([this](const Diagnostic& d) {
        std::lock_guard lock(mutex_);
        warnings_.push_back(d);
    });
}

WarningCollector::~WarningCollector() {
    WarningSink::setHandler(std::move(previous_));
}

std::vector<Diagnostic> WarningCollector::warnings() const {
    std::lock_guard lock(mutex_);
    return warnings_;
}

std::size_t WarningCollector::itemCount() const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& w : warnings_) {
        n += w.items().size();
    }
    return n;
}

void WarningCollector::clear() {
    std::lock_guard lock(mutex_);
    warnings_.clear();
}

} // namespace CvUnitSys
