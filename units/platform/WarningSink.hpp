#pragma once

#include "units/platform/Diagnostic.hpp"

#include <functional>
#include <mutex>
#include <vector>

namespace CvUnitSys {

// Where warnings reported through the diagnostics service go. By default they
// are written in English to standard error; the tool and tests install their
// own handler.
class WarningSink {
public:
    using Handler = std::function<void(const Diagnostic&)>;

    static void report(const Diagnostic& d);
    // Installs `handler` (an empty one restores the default) and returns the previous one.
    static Handler setHandler(Handler handler);
};

// Collects every warning reported while it lives, on any thread.
class WarningCollector {
public:
    WarningCollector();
    ~WarningCollector();
    WarningCollector(const WarningCollector&) = delete;
    WarningCollector& operator=(const WarningCollector&) = delete;

    std::vector<Diagnostic> warnings() const;
    // Total items over all collected warnings.
    std::size_t itemCount() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Diagnostic> warnings_;
    WarningSink::Handler previous_;
};

} // namespace CvUnitSys
