#include "mappers/devices/CWmipLogicalUserAccountMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntResources/BntResourceStrings.h"

namespace {

constexpr UINT kPersonText = 20702;

LONG PersonOf(IWbemClassObject* instance)
{
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"PersonID", personId);
    return personId;
}

}  // namespace

CWmipLogicalUserAccountMapper::CWmipLogicalUserAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewLogicalUserAccounts, Permission::kWriteLogicalUserAccounts,
                   Permission::kWriteLogicalUserAccounts, Permission::kWriteLogicalUserAccounts);
    SetTransactionObject(AuditObject::kUser);
    SetReplTransactionObject(ReplicationObject::kPerson);
}

CString CWmipLogicalUserAccountMapper::GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation,
                                                            IWbemClassObject* instance)
{
    const LONG personId = PersonOf(instance);
    CString name;
    if (GetDatabase() != nullptr)
    {
        CDynamicRecordset persons(GetDatabase());
        persons.SetTable(L"EMP");
        persons.AddFilterLong(L"ID", personId);
        persons.OpenForwardOnly();
        if (!persons.IsEOF())
            name = persons.GetText(L"LASTNAME") + L", " + persons.GetText(L"FIRSTNAME");
    }
    CString format;
    brontel::resources::LoadResourceString(kPersonText, format);
    CString text;
    text.FormatMessage(format, personId, name.GetString());
    return text;
}

void CWmipLogicalUserAccountMapper::SetupReplTransaction(CBntCardholderTrans& transaction,
                                                         brontel::UserTranOperation::UserTransactionOperation,
                                                         IWbemClassObject* instance)
{
    transaction.SetPersonID(PersonOf(instance));
}
