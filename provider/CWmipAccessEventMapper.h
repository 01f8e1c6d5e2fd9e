// CWmipAccessEventMapper: the mapper of Bnt_AccessEvent: claims every message of the access event
// types 0 to 3 (any subtype) and of the secondary access type but for its subtypes 4 and 5
// (whatever its message type) and adds the card data, the access result, duress, the areas
// entered and left and the elevator floor to the common properties. Its ProcessClause also
// serves the hardware event provider's access check.
//
// Owned by the hardware event processor; HandlesEvent and MapEvent run on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipAccessEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_AccessEvent";

    CWmipAccessEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipAccessEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    // The common event with the access properties. A data type that carries no access data
    // fails the event with 0x80041001 (*event null).
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;

private:
    // The areas a granted access at the panel's reader enters and leaves (each -1 when not
    // known); a failure is logged and leaves them unknown.
    void ReadAreas(LONG panelId, LONG readerId, LONG& entered, LONG& exited);
};
