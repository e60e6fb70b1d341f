#include "units/model/UnitModelLookup.hpp"

#include <mutex>
#include <shared_mutex>

namespace CvUnitSys {

namespace {

struct InstalledHooks {
    std::shared_mutex mutex;
    UnitModelLookup::Hooks hooks;
};

InstalledHooks& installed() {
    static InstalledHooks instance;
    return instance;
}

// Copies the hook under the lock and calls it outside, so a hook may itself
// look things up (the database it asks may load on first use).
template <typename Hook, typename Result>
Result call(Hook UnitModelLookup::Hooks::*member, const ustring& name, Result none) {
    Hook hook;
    {
        std::shared_lock lock(installed().mutex);
        hook = installed().hooks.*member;
    }
    return hook ? hook(name) : none;
}

} // namespace

UnitModelLookup::Hooks UnitModelLookup::install(Hooks hooks) {
    std::unique_lock lock(installed().mutex);
    std::swap(installed().hooks, hooks);
    return hooks;
}

std::shared_ptr<UnitSystem> UnitModelLookup::managerUnitSystem(const ustring& name) {
    return call(&Hooks::managerUnitSystem, name, std::shared_ptr<UnitSystem>());
}

std::shared_ptr<UnitSystem> UnitModelLookup::builtInUnitSystem(const ustring& name) {
    return call(&Hooks::builtInUnitSystem, name, std::shared_ptr<UnitSystem>());
}

UnitModelLookup::PrefixSet UnitModelLookup::builtInPrefixes(const ustring& name) {
    return call(&Hooks::builtInPrefixes, name, PrefixSet());
}

} // namespace CvUnitSys
