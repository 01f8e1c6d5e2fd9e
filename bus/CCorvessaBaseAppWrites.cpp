// CCorvessaBaseApp: the instance writes (add, modify, delete) and method execution. Each runs
// one skeleton: the database check, the caller's entry for the token (given back on every
// path), the type's mapper, and the mapper's failures turned into bus errors. The part of it
// that answers a request anew when its rights moved under the write lock (RunCallerRequest)
// serves the subscription writes too.

#include "bus/CCorvessaBaseApp.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaObjectSink.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::CWMIException;

HRESULT CCorvessaBaseApp::LeaseMapperForToken(const std::string& token, const std::string& applicationId,
                                              const CString& typeName, bool log, EntryLease& lease,
                                              std::unique_ptr<CWmipClassMapper>& mapper)
{
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    return GetMapperForType(typeName, lease.get(), mapper, log);
}

HRESULT CCorvessaBaseApp::RunCallerRequest(const std::string& errorKey, const std::function<HRESULT()>& request)
{
    try
    {
        Initialize();
        // A write that finds its caller's rights changed under its lock is answered anew, as a
        // request starting now: the session's next look-up renews the caller's entry.
        return CWmipWriteFrame::AnswerCallerRequest(request, [] {});
    }
    catch (const CWMIException& e)
    {
        throw ConvertToCorvessaException(e, errorKey);
    }
}

template <typename Work>
HRESULT CCorvessaBaseApp::RunWithMapper(const std::string& token, const std::string& applicationId,
                                        const CString& typeName, const std::string& errorKey, Work work)
{
    return RunCallerRequest(errorKey, [&]() -> HRESULT {
        EntryLease lease;
        std::unique_ptr<CWmipClassMapper> mapper;
        const HRESULT hr = LeaseMapperForToken(token, applicationId, typeName, true, lease, mapper);
        if (FAILED(hr))
        {
            return hr;
        }
        return work(lease.get(), mapper.get());
    });
}

HRESULT CCorvessaBaseApp::AddInstance(const std::string& token, const std::string& applicationId,
                                      const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result,
                                      bool isBase64)
{
    return AddOrModifyInstanceImpl(token, applicationId, true, instance, result, isBase64);
}

HRESULT CCorvessaBaseApp::ModifyInstance(const std::string& token, const std::string& applicationId,
                                         const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result,
                                         bool isBase64)
{
    return AddOrModifyInstanceImpl(token, applicationId, false, instance, result, isBase64);
}

HRESULT CCorvessaBaseApp::AddOrModifyInstanceImpl(const std::string& token, const std::string& applicationId, bool add,
                                                  const CCorvessaQpidInstance& instance, CCorvessaQpidInstance& result,
                                                  bool isBase64)
{
    result.Clear();
    return RunWithMapper(token, applicationId, instance.GetClassNameW(), CCorvessaException::kEditInstanceErrorKey,
                         [&](CWmipUserCacheEntry* entry, CWmipClassMapper* mapper) {
                             const std::unique_ptr<CCorvessaClassObject> object =
                                 instance.AsWMIObject(mapper, entry->GetUser(), isBase64);
                             CString pathText;
                             const HRESULT hr = mapper->WriteInstance(
                                 object.get(), add ? WBEM_FLAG_CREATE_ONLY : WBEM_FLAG_UPDATE_ONLY, pathText);
                             if (SUCCEEDED(hr) && !pathText.IsEmpty())
                             {
                                 const std::unique_ptr<CWmipObjectPath> path =
                                     CWmipObjectPath::CreateFromPath(pathText);
                                 result.PopulateInstanceData(path.get());
                             }
                             return hr;
                         });
}

HRESULT CCorvessaBaseApp::DeleteInstance(const std::string& token, const std::string& applicationId,
                                         const CCorvessaQpidInstance& instance)
{
    return RunWithMapper(token, applicationId, instance.GetClassNameW(), CCorvessaException::kEditInstanceErrorKey,
                         [&](CWmipUserCacheEntry*, CWmipClassMapper* mapper) {
                             const std::unique_ptr<CWmipObjectPath> path = instance.GetObjectPath();
                             return mapper->DeleteInstance(path.get());
                         });
}

HRESULT CCorvessaBaseApp::ExecuteMethod(const std::string& token, const std::string& applicationId,
                                        const CCorvessaQpidInstance& target, const std::string& methodName,
                                        const CCorvessaQpidMethodParameter& input, CCorvessaQpidMethodParameter& output)
{
    return RunWithMapper(
        token, applicationId, target.GetClassNameW(), CCorvessaException::kExecuteMethodErrorKey,
        [&](CWmipUserCacheEntry*, CWmipClassMapper* mapper) {
            // A target without values names a method of the type itself.
            const std::unique_ptr<CWmipObjectPath> path = target.IsEmpty() ? nullptr : target.GetObjectPath();
            CCorvessaQpidMethodParameter parameters(input);
            const std::unique_ptr<CCorvessaClassObject> inParameters =
                input.IsEmpty() ? nullptr
                                : parameters.AsWMIObject(target.GetClassNameW(),
                                                         brontel::utility::ConvertUtf8ToCString(methodName));
            CCorvessaObjectSink sink;
            const BstrOwner method(WMIHelper::ConvertToBSTR(methodName));
            const HRESULT hr = mapper->ExecuteMethod(path.get(), method.Get(), 0, nullptr, inParameters.get(), &sink);
            if (SUCCEEDED(hr) && sink.GetObject() != nullptr)
            {
                CCorvessaClassObject outParameters(*sink.GetObject());
                output.PopulateUsingWMIObject(&outParameters);
            }
            return hr;
        });
}
