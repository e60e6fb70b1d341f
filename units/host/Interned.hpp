#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Identifiers of the host's object system (class paths, type names), interned
// once per process so that comparing two of them compares addresses.
namespace objsys::internal {

class Interned {
public:
    // The null identifier, equal to no interned text.
    Interned() = default;

    bool isNull() const { return text_ == nullptr; }
    // Empty for the null identifier.
    const std::string& str() const;

    friend bool operator==(Interned a, Interned b) { return a.text_ == b.text_; }

private:
    friend Interned makeInterned(std::string_view text);
    friend struct std::hash<Interned>;
    explicit Interned(const std::string* text) : text_(text) {}

    const std::string* text_ = nullptr;
};

// Safe to call from any thread; the same text always gives the same identifier.
Interned makeInterned(std::string_view text);

} // namespace objsys::internal

template <> struct std::hash<objsys::internal::Interned> {
    std::size_t operator()(objsys::internal::Interned id) const noexcept {
        return std::hash<const std::string*>()(id.text_);
    }
};
