// IEventFilterChecker: the interface of the installation's outside event filter checker, a COM
// class that judges the text of a business-event subscription filter. The front end only
// creates it by its class identifier and calls its one operation; the filter language is the
// checker's own. Implementations live outside the front end (tests and hosts register them in
// the process's ComClassTable).
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

// The checker's class.
constexpr CLSID CLSID_EventFilterChecker = {
    0x93163ce2, 0xabe6, 0x3d30, {0x88, 0x84, 0x47, 0x08, 0x8a, 0x79, 0xa6, 0xc3}};

class IEventFilterChecker : public IUnknown
{
public:
    static constexpr IID kIID = {0xef3762ae, 0x4310, 0x34ae, {0xa7, 0xba, 0x92, 0x85, 0xc0, 0xfe, 0x70, 0x56}};

    // *valid = VARIANT_FALSE when the filter is rejected, any other value when accepted. A
    // failed HRESULT means the check itself failed.
    virtual HRESULT IsValidFilter(BSTR filter, VARIANT_BOOL* valid) = 0;

protected:
    ~IEventFilterChecker() = default;
};
