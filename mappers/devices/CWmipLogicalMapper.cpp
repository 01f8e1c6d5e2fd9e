#include "mappers/devices/CWmipLogicalMapper.h"

#include <utility>
#include <vector>

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Rules = CWmipLogicalDeviceRules;

CWmipLogicalMapper::CWmipLogicalMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                       const wchar_t* className, const Traits& traits)
    : CWmipDynamicClassMapper(user, context, services, className), m_traits(traits)
{
    SetPermissions(Permission::kViewLogicalDevices, Permission::kAddLogicalDevices, Permission::kModifyLogicalDevices,
                   Permission::kDeleteLogicalDevices);
    SetTransactionObject(traits.auditObject);
}

CWmipLogicalMapper::~CWmipLogicalMapper() = default;

void CWmipLogicalMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanAdd(instance);
    if (instance != nullptr)
        Validate(instance, true);
}

void CWmipLogicalMapper::CanModify(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanModify(instance);
    if (instance != nullptr)
        Validate(instance, false);
}

void CWmipLogicalMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(m_traits.rows.column, m_traits.rows.value, m_traits.rows.comparison);
}

CString CWmipLogicalMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString text;
    WMIHelper::GetString(instance, L"Name", text);
    const wchar_t* separator = L"(";
    for (const Key& key : m_traits.keys)
    {
        CString value;
        value.Format(L"%s%d", separator, Rules::Number(instance, key.property).value_or(0));
        text += value;
        separator = L",";
    }
    return text + L")";
}

void CWmipLogicalMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    if (operation == Operation::Delete)
        RemoveDependents(instance);
}

void CWmipLogicalMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    std::vector<std::pair<std::size_t, LONG>> words;
    for (const Key& key : m_traits.keys)
        words.emplace_back(key.noticeWord, Rules::Number(instance, key.property).value_or(0));
    Rules::Notify(m_traits.noticeCode, Rules::Action(operation), NoticeSegment(instance), words);
}

LONG CWmipLogicalMapper::NoticeSegment(IWbemClassObject* instance)
{
    return Rules::PanelSegment(GetDatabase(), Rules::Number(instance, L"SourceID").value_or(0));
}

LONG CWmipLogicalMapper::AddWithNewId(IWbemClassObject* instance, LONG idType)
{
    CanAdd(instance);
    CString offending;
    if (FAILED(ValidateValuesForGeneratedProperties(instance, true, offending)))
        CWmipPropertyRefusal::ThrowNamed(m_traits.source, __LINE__, WBEM_E_FAILED, CWmipMessages::kNotEditableProperty,
                                         offending);
    const LONG id = CBntIDGenerator(GetDatabaseUser()).GetNextID(idType, -1);
    if (id <= 0)
        CWmipPropertyRefusal::ThrowNamed(m_traits.source, __LINE__, WBEM_E_UNEXPECTED, CWmipMessages::kNoGeneratedId,
                                         L"ID");
    WMIHelper::PutNumber(instance, L"ID", id);
    return id;
}

void CWmipLogicalMapper::WriteInTransaction(IWbemClassObject* instance, LONG flags,
                                            const std::function<void(CBntDatabase& database, bool modify)>& write)
{
    if (instance == nullptr)
        throw CWMIException(m_traits.source, __LINE__, WBEM_E_INVALID_PARAMETER);
    const bool modify = (flags & WBEM_FLAG_UPDATE_ONLY) != 0;
    const Operation operation = modify ? Operation::Modify : Operation::Add;
    // The notice is prepared inside the write, so a failure to prepare it takes the write back;
    // it leaves for the servers only once the write has committed.
    OpenOwnPut(instance, flags, OwnPutOpening::kPermission, [&](CBntDatabase& database) {
        write(database, modify);
        LogTransaction(operation, instance);
        AfterWriteInstance(operation, instance);
    });
}
