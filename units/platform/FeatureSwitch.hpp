#pragma once

#include <atomic>
#include <string>

namespace CvUnitSys {

// A named boolean feature of the host. The host turns it on or off; the
// library only reads it.
class FeatureSwitch {
public:
    explicit FeatureSwitch(std::string name, bool enabled = false)
        : name_(std::move(name)), enabled_(enabled) {}
    FeatureSwitch(const FeatureSwitch&) = delete;
    FeatureSwitch& operator=(const FeatureSwitch&) = delete;

    const std::string& getName() const { return name_; }
    bool isEnabled() const { return enabled_.load(std::memory_order_relaxed); }
    void setEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }

private:
    std::string name_;
    std::atomic<bool> enabled_;
};

} // namespace CvUnitSys
