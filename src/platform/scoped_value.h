// A variable set for the length of a scope and given back its earlier value
// however the scope ends (a return, an exception, a modal loop that ends
// the program's work early).
#pragma once

#include <utility>

namespace velmora {

template <typename T>
class ScopedValue {
public:
    // Assigns through the reference, after saving what it held; not a member
    // that could be initialised.
    // NOLINTNEXTLINE(cppcoreguidelines-prefer-member-initializer)
    ScopedValue(T& target, T value) : target_(target), saved_(std::move(target)) { target_ = std::move(value); }
    ~ScopedValue() { target_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& target_;
    T saved_;
};

}  // namespace velmora
