// CCorvessaBaseApp: the reads of stored records that bus clients make outside the generic
// instance read: a person's multimedia data with its MIME type, the directories, and the
// cardholder linked to a directory account.

#include "bus/CCorvessaBaseApp.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaEnumerationScope.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/CCorvessaUserCache.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "provider/CWmipUserCacheEntry.h"

#include <utility>

using brontel::utility::ConvertUtf8ToCString;
using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kBaseAppRecordsSource[] = L"CorvessaBaseApp";
constexpr wchar_t kDirectoryClass[] = L"Bnt_Directory";

// The error line of a failed filter check: the property alone, or the value and property.
void LogCannotView(const wchar_t* operation, const CWmipClassMapper& mapper, HRESULT hr)
{
    CString text;
    text.Format(L"CCorvessaProvixaApp::%s - Failed, cannot view requested type: %s.", operation,
                mapper.GetClassName().GetString());
    CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__, text, hr);
}

// The next instance of an open enumeration; null for a row the mapper skips. Throws
// CWMIException with the mapper's failure.
ComPtr<IWbemClassObject> NextObject(CWmipClassMapper& mapper)
{
    ComPtr<IWbemClassObject> object;
    const HRESULT hr = mapper.NextInstance(&object, 0);
    if (FAILED(hr))
    {
        throw CWMIException(kBaseAppRecordsSource, __LINE__, hr);
    }
    return object;
}

}  // namespace

// --- Multimedia objects --------------------------------------------------------------------

HRESULT CCorvessaBaseApp::GetMultimediaObjectData(const std::string& token, const std::string& applicationId,
                                                  LONG personId, int objectType, int dataType,
                                                  qpid::types::Variant& contentType, qpid::types::Variant& data)
{
    try
    {
        Initialize();
        CString wql;
        wql.Format(L"SELECT * FROM Bnt_MultimediaObject WHERE ObjectType = %d AND DataType = %d AND PersonId = %ld",
                   objectType, dataType, static_cast<long>(personId));
        const std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromQuery(wql.GetString());
        if (!query)
        {
            throw CWMIException(kBaseAppRecordsSource, __LINE__, WBEM_E_INVALID_QUERY);
        }
        EntryLease lease;
        std::unique_ptr<CWmipClassMapper> mapper;
        HRESULT hr = LeaseMapperForToken(token, applicationId, query->GetClassName(), false, lease, mapper);
        if (FAILED(hr) && !lease)
        {
            return hr;
        }
        if (FAILED(hr))
        {
            CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__,
                                   L"CCorvessaProvixaApp::GetMultimediaObjectData - Failed to get mapper for requested "
                                   L"query/object path (Bnt_MultimediaObject).",
                                   corvessa::kInvalidTypeName);
            return corvessa::kInvalidTypeName;
        }
        if (FAILED(mapper->CanView()))
        {
            LogCannotView(L"GetMultimediaObjectData", *mapper, 0);
            return S_OK;
        }
        query->EnableWhereValueCapture();
        mapper->SetQuery(query.get());
        query->DisableWhereValueCapture();
        if (!query->GetWhereText().IsEmpty())
        {
            CString value;
            CString property;
            hr = CheckGetInstanceFilter(query->GetClassName(), query.get(), value, property);
            if (FAILED(hr))
            {
                LogFilterCheckFailure(L"GetMultimediaObjectData", value, property, hr);
                return hr;
            }
        }
        if (!mapper->BeginEnumeration())
        {
            return S_OK;
        }
        const CCorvessaEnumerationScope scope(mapper.get());
        if (!mapper->HasMoreInstances())
        {
            return S_OK;
        }
        // Only the first row is read. A value of megabytes is held at most twice at once: the
        // instance's copy goes once it is read (the row's went as the reader moved past it), the
        // read array once it is converted, and the converted bytes are moved out, never copied.
        const ComPtr<IWbemClassObject> object = NextObject(*mapper);
        if (object)
        {
            _variant_t value;
            CIMTYPE cimType = 0;
            object->Get(L"Data", 0, &value, &cimType, nullptr);
            _variant_t none;
            none.vt = VT_NULL;
            object->Put(L"Data", 0, &none, 0);
            qpid::types::Variant converted =
                CCorvessaHelper::ConvertToQpidVariant(CCorvessaHelper::kMultimediaClass, L"Data", value, cimType);
            value.Clear();
            if (converted.getType() == qpid::types::VAR_MAP)
            {
                qpid::types::Variant::Map& binary = converted.asMap();
                data = std::move(binary.at("data"));
                contentType = std::move(binary.at("content_type"));
            }
        }
        return S_OK;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        throw CCorvessaException(CCorvessaException::kInvalidFilterKey, e);
    }
}

// --- Directories ---------------------------------------------------------------------------

HRESULT CCorvessaBaseApp::GetDirectories(const std::string& filter, InstanceList& directories)
{
    directories.clear();
    Initialize();
    CCorvessaUserCache* cache = GetBusUserCache();
    CWmipUserCacheEntry* entry = nullptr;
    if (cache == nullptr || FAILED(cache->GetUser(&entry)) || entry == nullptr)
    {
        CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__,
                               L"CCorvessaProvixaApp::GetDirectories - Failed to get user", WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
    const EntryLease lease = m_sessions->LeaseEntry(entry);
    try
    {
        CWmipQuery query;
        query.SetClassName(kDirectoryClass);
        CString where = ConvertUtf8ToCString(filter);
        where.Trim();
        if (!where.IsEmpty())
        {
            query.SetWhereText(CString(L"where (") + where + L")");
        }
        std::unique_ptr<CWmipClassMapper> mapper;
        if (FAILED(GetMapperForType(query.GetClassName(), entry, mapper, false)) || !mapper)
        {
            throw CCorvessaException(CCorvessaException::kInvalidTypeNameKey,
                                     std::string("Failed to get Bnt_Directory type."));
        }
        const HRESULT viewed = mapper->CanView();
        if (FAILED(viewed))
        {
            LogCannotView(L"GetDirectories", *mapper, viewed);
            return viewed;
        }
        mapper->SetQuery(&query);
        if (mapper->BeginEnumeration())
        {
            const CCorvessaEnumerationScope scope(mapper.get());
            while (mapper->HasMoreInstances())
            {
                const ComPtr<IWbemClassObject> object = NextObject(*mapper);
                auto* source = dynamic_cast<CCorvessaClassObject*>(object.Get());
                if (source == nullptr)
                {
                    continue;
                }
                auto instance = std::make_unique<CCorvessaQpidInstance>();
                instance->PopulateInstanceData(source, CString());
                directories.push_back(std::move(instance));
            }
        }
        return viewed;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        // A failed read hands back no part of the list.
        directories.clear();
        if (e.GetHResult() == WBEM_E_INVALID_QUERY)
        {
            CString text;
            text.Format(L"CCorvessaProvixaApp::GetDirectories - The specified filter is invalid. [%S]", filter.c_str());
            CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__, text, corvessa::kInvalidFilter);
            return corvessa::kInvalidFilter;
        }
        throw CCorvessaException(CCorvessaException::kGeneralExceptionKey, e);
    }
}

HRESULT CCorvessaBaseApp::GetCardholderFromDirectory(const std::string& token, const std::string& applicationId,
                                                     int directoryId, std::string userName, std::string password,
                                                     LONG* cardholderId)
{
    EntryLease lease;
    const HRESULT hr = m_sessions->LeaseEntryForToken(token, applicationId, lease);
    if (FAILED(hr))
    {
        return hr;
    }
    // The token only proves the caller; its entry goes back on every path.
    try
    {
        const HRESULT decrypted = DecryptCredentials(userName, password, CCorvessaException::kGeneralExceptionKey);
        if (FAILED(decrypted))
        {
            return decrypted;
        }
        Initialize();
        brontel::directories::DirectoryDBManager directories(GetDatabase(), nullptr);
        const CString sid = GetSIDForDirectoryAccount(&directories, directoryId, ConvertUtf8ToCString(userName),
                                                      password, PersonTypeCardholder);
        if (sid.IsEmpty())
        {
            throw CCorvessaException(CCorvessaException::kInvalidCredentialsKey,
                                     CString(CCorvessaException::kSignInRefusedText));
        }
        // A cardholder beyond the caller's segments is answered as an account without one: the
        // person is read as the caller reads persons (a person's kind chooses its segmentation).
        LONG found = directories.GetCardholderIDForWindowsAccount(sid);
        std::unique_ptr<CWmipClassMapper> persons;
        if (found != 0 && (FAILED(GetMapperForType(L"Bnt_Person", lease.get(), persons, true)) ||
                           !persons->CallerCanSee(L"Bnt_Person", {{L"ID", found}})))
        {
            found = 0;
        }
        if (cardholderId != nullptr)
        {
            *cardholderId = found;
        }
        if (found == 0)
        {
            throw CCorvessaException(
                CCorvessaException::kNotFoundKey,
                std::string("Failed to find a cardholder linked to the provided directory account. "
                            "Check server error logs for details."));
        }
        return decrypted != S_OK ? decrypted : hr;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kBaseAppRecordsSource, __LINE__, e.GetMessage(), e.GetHResult(), nullptr, &e);
        throw CCorvessaException(CCorvessaException::kGeneralExceptionKey, e);
    }
}
