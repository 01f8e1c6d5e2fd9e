#include "provider/CWmipResultSender.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "provider/CWmipMapperLease.h"
#include "provider/CWmipRequestEnvelope.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr LPCWSTR kResultSenderSource = CWmipRequestEnvelope::kSourceName;

HRESULT IndicateOne(IWbemObjectSink* sink, IWbemClassObject* object)
{
    IWbemClassObject* objects[] = {object};
    return sink->Indicate(1, objects);
}

}  // namespace

CWmipResultSender::CWmipResultSender(IWbemServices* services, CWmipListObjectClassCache* listCache)
    : m_services(services), m_listCache(listCache)
{
}

std::unique_ptr<CWmipClassMapper> CWmipResultSender::GetMapper(const CAcsUser* databaseUser, const CString& className,
                                                               IWbemContext* context) const
{
    return std::unique_ptr<CWmipClassMapper>(
        CWmipMapperRegistry::GetMapper(databaseUser, context, m_services, className, Door::kWmi, m_listCache));
}

HRESULT CWmipResultSender::SendClassDefinition(std::unique_ptr<CWmipClassMapper> mapper, IWbemObjectSink* sink,
                                               BOOL trusted, BOOL systemAccount, BOOL shellOnly) const
{
    if (mapper == nullptr)
        return WBEM_E_FAILED;
    const CString className = mapper->GetClassName();

    HRESULT result = S_OK;
    ComPtr<IWbemClassObject> classObject;
    if (shellOnly)
    {
        result = mapper->CreateClassShell(&classObject, trusted);
    }
    else
    {
        if (!trusted)
        {
            result = mapper->CanView();
            if (result == WBEM_E_ACCESS_DENIED)
                return WBEM_S_ACCESS_DENIED;
        }
        if (SUCCEEDED(result))
        {
            IWbemClassObject* definition = nullptr;
            result = mapper->GetClass(&definition, trusted);
            // A definition WMI stores stays the mapper's; any other is handed to us.
            if (mapper->WMIStoresClassDefinition())
                classObject = definition;
            else
                classObject.Attach(definition);
        }
    }

    if (classObject != nullptr && systemAccount && !shellOnly)
    {
        // The definition may be the one the class cache shares with every caller: the
        // qualifiers are removed from a copy only.
        ComPtr<IWbemClassObject> copy;
        const HRESULT cloned = classObject->Clone(&copy);
        classObject = copy;
        if (FAILED(cloned))
            result = cloned;
        else if (classObject != nullptr)
        {
            const HRESULT stripped = RemoveValueQualifiers(classObject.Get());
            if (FAILED(stripped))
                result = stripped;
        }
    }

    if (classObject == nullptr)
    {
        CWMIDebugLog::LogError(kResultSenderSource, __LINE__, L"Unable to build the class definition of " + className,
                               result);
        return WBEM_E_FAILED;
    }
    if (SUCCEEDED(result) && sink != nullptr)
        IndicateOne(sink, classObject.Get());
    classObject.Reset();
    mapper.reset();
    return result;
}

HRESULT CWmipResultSender::RemoveValueQualifiers(IWbemClassObject* classObject)
{
    HRESULT failure = S_OK;
    const HRESULT walked = WMIHelper::ForEachProperty(
        classObject, WBEM_FLAG_NONSYSTEM_ONLY, [&](const CString& name, const VARIANT&, CIMTYPE) {
            ComPtr<IWbemQualifierSet> qualifiers;
            failure = classObject->GetPropertyQualifierSet(name, &qualifiers);
            if (FAILED(failure))
                return false;
            // A property without these qualifiers simply has nothing to remove.
            qualifiers->Delete(L"Values");
            qualifiers->Delete(L"ValueMap");
            return true;
        });
    return FAILED(failure) ? failure : walked;
}

HRESULT CWmipResultSender::SendQueryResults(const CString& className, CWmipQuery* query, IWbemContext* context,
                                            IWbemObjectSink* sink, LONG flags, BOOL all, CWmipMapperLease& lease) const
{
    const bool sendStatus = (flags & WBEM_FLAG_SEND_STATUS) != 0;

    // The mapper (and its recordset) goes whichever way this function is left.
    struct MapperDeletion
    {
        CWmipMapperLease& lease;
        ~MapperDeletion() { lease.DeleteMapper(); }
    } const deletion{lease};
    const CAcsUser* connection = lease.TakeConnection();
    if (connection == nullptr)
        throw CWMIException(kResultSenderSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);

    lease.SetMapper(GetMapper(connection, className, context));
    CWmipClassMapper* mapper = lease.GetMapper();
    if (mapper == nullptr)
        return WBEM_E_INVALID_CLASS;

    HRESULT result = mapper->CanView();
    if (FAILED(result))
        return result;

    if (query != nullptr)
        mapper->SetQuery(query);
    // The database's own reason is in the provider log.
    if (!mapper->BeginEnumeration())
        throw CWMIException(kResultSenderSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kDatabaseRefused);

    // When the SQL had to drop a comparison, NextInstance checks each built instance against the
    // full WHERE clause and passes over the rows it rejects: a null instance is no match.
    bool found = false;
    while (mapper->HasMoreInstances())
    {
        ComPtr<IWbemClassObject> instance;
        result = mapper->NextInstance(&instance, 0);
        if (FAILED(result))
            throw CWMIException(kResultSenderSource, __LINE__, result);
        if (instance == nullptr)
            continue;
        if (sink != nullptr)
        {
            IndicateOne(sink, instance.Get());
            if (sendStatus)
                sink->SetStatus(WBEM_STATUS_PROGRESS, WBEM_S_NO_ERROR, nullptr, nullptr);
        }
        found = true;
        if (!all)
            break;
    }
    mapper->EndEnumeration();

    if (!all && !found)
        return WBEM_E_NOT_FOUND;
    // A row the mapper passed over ends the walk with S_FALSE; the request itself succeeded.
    return result == WBEM_S_FALSE ? WBEM_S_NO_ERROR : result;
}
