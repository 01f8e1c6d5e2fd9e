// CryptHandle: owns one CryptoAPI handle (provider, key or hash) and gives it back when it goes
// out of scope.
//
// Move-only; not thread-safe (one owner). A handle of 0 means "none".
#pragma once

#include "platform/crypto/CryptoApi.h"

#include <utility>

namespace common_detail {

inline void ReleaseProvider(ULONG_PTR handle)
{
    CryptReleaseContext(handle, 0);
}
inline void ReleaseKey(ULONG_PTR handle)
{
    CryptDestroyKey(handle);
}
inline void ReleaseHash(ULONG_PTR handle)
{
    CryptDestroyHash(handle);
}

template <void (*Release)(ULONG_PTR)>
class CryptHandle
{
public:
    CryptHandle() = default;
    ~CryptHandle() { Reset(); }
    CryptHandle(const CryptHandle&) = delete;
    CryptHandle& operator=(const CryptHandle&) = delete;
    CryptHandle(CryptHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, 0)) {}
    CryptHandle& operator=(CryptHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_handle = std::exchange(other.m_handle, 0);
        }
        return *this;
    }

    ULONG_PTR Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != 0; }
    // Releases what is held and gives the address to fill through a Crypt* out-parameter.
    ULONG_PTR* Receive()
    {
        Reset();
        return &m_handle;
    }
    void Reset()
    {
        if (m_handle != 0)
            Release(std::exchange(m_handle, 0));
    }

private:
    ULONG_PTR m_handle = 0;
};

}  // namespace common_detail

using CryptProviderHandle = common_detail::CryptHandle<&common_detail::ReleaseProvider>;
using CryptKeyHandle = common_detail::CryptHandle<&common_detail::ReleaseKey>;
using CryptHashHandle = common_detail::CryptHandle<&common_detail::ReleaseHash>;
