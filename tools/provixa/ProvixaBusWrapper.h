// ProvixaBusWrapper: the provixa host's bus interface. It plays the bus for a person: every
// message the front end sends is printed as one JSON line
// {"address": ..., "properties": {...}, "content": {...}}.
//
// Owned by the bus command run; the front end holds it without owning it. Thread-safe: lines
// are written whole under a lock.
#pragma once

#include <mutex>
#include <ostream>

#include "platform/win32/ThreadSafety.h"
#include "platform/qpid/IQpidWrapper.h"

class ProvixaBusWrapper : public sms::qpid::wrapper::IQpidWrapper
{
public:
    explicit ProvixaBusWrapper(std::ostream& out) : m_out(out) {}
    ProvixaBusWrapper(const ProvixaBusWrapper&) = delete;
    ProvixaBusWrapper& operator=(const ProvixaBusWrapper&) = delete;

    // Prints the message; always 0.
    long Send(const std::string& address, const qpid::types::Variant::Map& properties,
              const qpid::types::Variant::Map& content, int flags) override;

private:
    CheckedMutex m_lock;
    std::ostream& m_out GUARDED_BY(m_lock);
};
