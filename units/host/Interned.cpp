#include "units/host/Interned.hpp"

#include <mutex>
#include <unordered_set>

namespace objsys::internal {

namespace {

// Node-based, so an interned text never moves once inserted.
struct InternTable {
    std::mutex lock;
    std::unordered_set<std::string> texts;
};

InternTable& internTable() {
    static InternTable table;
    return table;
}

} // namespace

const std::string& Interned::str() const {
    static const std::string empty;
    return text_ == nullptr ? empty : *text_;
}

Interned makeInterned(std::string_view text) {
    InternTable& table = internTable();
    std::lock_guard guard(table.lock);
    return Interned(&*table.texts.emplace(text).first);
}

} // namespace objsys::internal
