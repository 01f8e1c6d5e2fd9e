#include "mappers/records/CWmipLoggedEventMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

constexpr LONG kAccessGranted = 2;
constexpr LONG kAccessDenied = 3;

bool IsComputedProperty(const CString& property)
{
    return property.CompareNoCase(L"AccessResult") == 0 || property.CompareNoCase(L"CardholderEntered") == 0 ||
           property.CompareNoCase(L"Duress") == 0;
}

}  // namespace

CWmipLoggedEventMapper::CWmipLoggedEventMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"EVENTS", L"EVENTTYPE", L"EVENT", L"EVTYPEID");
    AddJoin(L"EVENTS", L"EVENTID", L"EVENT", L"EVID");
    AddJoin(L"EVENTS", L"MACHINE", L"ACCESSPANE", L"PANELID");
    // The event history is only read through the provider: writes carry id 0.
    SetPermissions(Permission::kViewLoggedEvents, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"EVENTS", L"EVENTTYPE", Reader<&CWmipLoggedEventMapper::ReadType>},
    };
    SetColumnHooks(kHooks);
}

CWmipLoggedEventMapper::AccessValues CWmipLoggedEventMapper::DeriveAccessValues(LONG type, LONG subtype)
{
    AccessValues values;
    switch (type)
    {
    case 0:
        values = {true, kAccessGranted, subtype != 2 && subtype != 3, false};
        break;
    case 1:
        values = {true, kAccessDenied, false, false};
        break;
    case 2:
        if (subtype == 0 || subtype == 2)
            values = {true, kAccessGranted, subtype == 0, true};
        else
            values = {true, kAccessDenied, false, true};
        break;
    case 3:
        if (subtype == 4 || subtype == 5)
            values = {true, kAccessGranted, true, false};
        else
            values = {true, kAccessDenied, false, false};
        break;
    case 5:
        if (subtype != 4 && subtype != 5)
            values = {true, kAccessDenied, false, false};
        break;
    default:
        break;
    }
    return values;
}

ProcessClauseResult CWmipLoggedEventMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                          CString& extra)
{
    if (IsComputedProperty(property))
        return ProcessClauseDrop;
    return CWmipDynamicClassMapper::ProcessClause(property, wqlOperator, literal, extra);
}

bool CWmipLoggedEventMapper::IsUseUTC()
{
    return true;
}

HRESULT CWmipLoggedEventMapper::ReadType(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                         const CString& /*column*/)
{
    const LONG type = row.GetLong(CString(L"EVENTS.EVENTTYPE"));
    const LONG subtype = row.GetLong(CString(L"EVENTS.EVENTID"));
    const AccessValues values = DeriveAccessValues(type, subtype);
    if (values.written)
    {
        WMIHelper::PutBool(&instance, L"CardholderEntered", values.cardholderEntered);
        WMIHelper::PutBool(&instance, L"Duress", values.duress);
        WMIHelper::PutNumber(&instance, L"AccessResult", values.accessResult);
    }
    return WMIHelper::PutNumber(&instance, L"Type", type);
}
