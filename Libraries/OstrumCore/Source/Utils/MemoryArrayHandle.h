// Owns one array allocated with new[] together with its element count.
//
// Used for the temporary arrays of the data streams and the Punycode conversion. Move-only;
// the destructor releases the array. Not shared between threads.
#pragma once

#include <cstddef>
#include <memory>

namespace ostrum::utils {

template <typename T>
class MemoryArrayHandle
{
public:
    // A zero-filled array of count elements (none when count is 0).
    explicit MemoryArrayHandle(std::size_t count)
        : m_data(count > 0 ? std::make_unique<T[]>(count) : nullptr), m_count(count)
    {
    }
    MemoryArrayHandle(const MemoryArrayHandle&) = delete;
    MemoryArrayHandle& operator=(const MemoryArrayHandle&) = delete;
    MemoryArrayHandle(MemoryArrayHandle&&) noexcept = default;
    MemoryArrayHandle& operator=(MemoryArrayHandle&&) noexcept = default;
    ~MemoryArrayHandle() = default;

    // Valid while the handle lives; null for an empty handle.
    T* get() const { return m_data.get(); }
    std::size_t size() const { return m_count; }
    T& operator[](std::size_t index) const { return m_data[index]; }

private:
    std::unique_ptr<T[]> m_data;
    std::size_t m_count;
};

}  // namespace ostrum::utils
