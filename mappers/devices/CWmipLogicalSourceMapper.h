// CWmipLogicalSourceMapper: the mapper of Bnt_LogicalSource, the sources of generic
// integration hardware, kept as access panels (ACCESSPANE) of panel type 39. Writes check the
// server type, the segment, the world time zone, the required flags and the name (unique among
// all panels) inside the write's transaction, draw the panel id from the ID generator, audit,
// and tell the servers (configuration message 211); a delete first removes what hangs on the
// panel and the source's logical devices.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/devices/CWmipLogicalMapper.h"

class CWmipLogicalSourceMapper : public CWmipMapperSkeleton<CWmipLogicalSourceMapper, CWmipLogicalMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_LogicalSource";

    CWmipLogicalSourceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Creates (no WBEM_FLAG_UPDATE_ONLY) or modifies the source in one transaction with its
    // checks and audit, then notifies the servers; path "Bnt_LogicalSource.ID=n". Refusals
    // throw CWMIException and leave the database unchanged.
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, CString& path) override;

private:
    void Validate(IWbemClassObject* instance, bool create) override;
    void RemoveDependents(IWbemClassObject* instance) override;
    // The instance's own "SegmentID": a source is a panel, and a deleted one has no row left.
    LONG NoticeSegment(IWbemClassObject* instance) override;
    LONG Create(IWbemClassObject* instance, CBntDatabase& database);
    LONG Modify(IWbemClassObject* instance, CBntDatabase& database);
};
