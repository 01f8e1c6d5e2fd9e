#include "provider/CWmipSoftwareEventProvider.h"
#include "framework/CWmipMessages.h"

#include <string>

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemProviderInitSink.h"
#include "platform/wmi/IWbemServices.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventSubscriber.h"
#include "provider/CWmipIntrinsicEventMapper.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/CWmipSoftwareEventProcessor.h"
#include "provider/SoftwareEventPacket.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kSoftwareEventProviderSource[] = L"wpSoftwareEventProvider";

// The classes checked when an event query names none with ISA.
constexpr const wchar_t* kDefaultClasses[] = {L"Bnt_Cardholder", L"Bnt_Visitor", L"Bnt_Badge",
                                              L"Bnt_Account",    L"Bnt_Visit",   L"Bnt_VisitEvent"};

// Holds the mapper's lock (which empties its class list) for a scope, so a failed translation
// never leaves it held.
class ClassListLease
{
public:
    explicit ClassListLease(CWmipIntrinsicEventMapper& mapper) : m_mapper(mapper) { m_mapper.Lock(); }
    ~ClassListLease() { m_mapper.Unlock(); }
    ClassListLease(const ClassListLease&) = delete;
    ClassListLease& operator=(const ClassListLease&) = delete;

private:
    CWmipIntrinsicEventMapper& m_mapper;
};

// The access check answers only these three codes.
HRESULT AccessCheckResult(HRESULT hr)
{
    if (SUCCEEDED(hr))
        return S_OK;
    return hr == WBEM_E_ACCESS_DENIED ? WBEM_E_ACCESS_DENIED : WBEM_E_FAILED;
}

}  // namespace

CWmipSoftwareEventProvider::CWmipSoftwareEventProvider(const CString& providerId)
    : CWmipEventProvider(providerId, SoftwareEventProvider, kSoftwareEventProviderSource, L"Software")
{
}

CWmipSoftwareEventProvider::~CWmipSoftwareEventProvider()
{
    AFX_MANAGE_STATE(&theApp);
    // A provider destroyed without Delete still stops its thread before the processor goes.
    Delete();
}

void CWmipSoftwareEventProvider::Delete()
{
    AFX_MANAGE_STATE(&theApp);
    // Stops the thread; one that does not stop keeps its processor until it ends.
    m_processor.reset();
    Release();
}

HRESULT CWmipSoftwareEventProvider::Initialize(LPWSTR /*user*/, LONG /*flags*/, LPWSTR /*ns*/, LPWSTR /*locale*/,
                                               IWbemServices* services, IWbemContext* context,
                                               IWbemProviderInitSink* initSink)
{
    AFX_MANAGE_STATE(&theApp);
    if (services != nullptr)
        m_services = ComPtr<IWbemServices>(services);
    LWorkerThread::Ptr<CWmipSoftwareEventProcessor> processor(new CWmipSoftwareEventProcessor(m_audience));
    processor->CreateMapper(services, context);
    m_processor = std::move(processor);
    if (initSink != nullptr)
        initSink->SetStatus(0, 0);
    return S_OK;
}

bool CWmipSoftwareEventProvider::StartProcessor(IWbemObjectSink* sink)
{
    return m_processor->StartProcessing(sink);
}

HRESULT CWmipSoftwareEventProvider::ReceiveSoftwareEvent(LONG eventId, SHORT eventType, SHORT transactionType,
                                                         LONG flags, LPCWSTR text)
{
    AFX_MANAGE_STATE(&theApp);
    CWMIDebugLog::LogInfo(kSoftwareEventProviderSource, __LINE__, L"Received software event data from linkage server.");
    // The pipe carries the text as UTF-16, whatever the width of wchar_t here; a null text
    // travels as an empty one.
    const std::u16string copy =
        brontel::utility::Utf8ToUtf16(brontel::utility::WideToUtf8(text != nullptr ? text : L""));
    const auto packet = SoftwareEventPacket::Make(eventId, eventType, transactionType, flags, copy);
    // Before Initialize there is no processor to read the pipe: the event cannot be kept.
    if (!packet || m_processor == nullptr || !m_processor->Submit(*packet))
        CWMIDebugLog::LogError(kSoftwareEventProviderSource, __LINE__,
                               L"Unable to transfer software event to processor.");
    return S_OK;
}

HRESULT CWmipSoftwareEventProvider::AccessCheck(LPCWSTR /*language*/, LPCWSTR query, LONG sidLength, const BYTE* sid)
{
    AFX_MANAGE_STATE(&theApp);
    const CString queryText(query != nullptr ? query : L"");
    CWMIDebugLog::LogInfo(kSoftwareEventProviderSource, __LINE__, CString(L"AccessCheck(") + queryText + L")");

    HRESULT hr = S_OK;
    {
        const CWmipEventSubscriber subscriber(sidLength, sid);
        hr = subscriber.Check(kSoftwareEventProviderSource);
        if (SUCCEEDED(hr))
            hr = CWmipEventSubscriber::RunQueryCheck(kSoftwareEventProviderSource, L"software",
                                                     [&] { return CheckQueryClasses(query, subscriber.GetEntry()); });
    }
    CWMIDebugLog::LogInfo(kSoftwareEventProviderSource, __LINE__, L"Leaving software event provider access check");
    return AccessCheckResult(hr);
}

HRESULT CWmipSoftwareEventProvider::CheckQueryClasses(LPCWSTR query, CWmipUserCacheEntry* entry)
{
    const std::unique_ptr<CWmipQuery> parsed = CWmipQuery::CreateFromQuery(query);
    if (parsed == nullptr || parsed->GetKind() != CWmipQuery::kSelect)
        throw CWMIException(kSoftwareEventProviderSource, __LINE__, WBEM_E_FAILED);
    CWmipIntrinsicEventMapper* mapper = m_processor != nullptr ? m_processor->GetMapper() : nullptr;
    if (mapper == nullptr)
        throw CWMIException(kSoftwareEventProviderSource, __LINE__, WBEM_E_FAILED);
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    if (connection.Get() == nullptr)
        throw CWMIException(kSoftwareEventProviderSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);

    parsed->SetMapper(mapper);
    const ClassListLease lease(*mapper);
    parsed->TranslateWhereClause();
    std::vector<CString> classes = mapper->GetClassList();
    const bool named = !classes.empty();
    if (!named)
        classes.assign(std::begin(kDefaultClasses), std::end(kDefaultClasses));

    for (const CString& className : classes)
    {
        const std::unique_ptr<CWmipClassMapper> classMapper(CWmipMapperRegistry::GetMapper(
            connection.Get(), nullptr, m_services.Get(), className.GetString(), Door::kWmi));
        if (classMapper == nullptr)
        {
            // A class the query names but no mapper serves cannot be shown to be visible; a
            // default class without a mapper has no records to show.
            if (!named)
                continue;
            CWMIDebugLog::LogError(kSoftwareEventProviderSource, __LINE__,
                                   CString(L"No mapper for event query class ") + className, WBEM_E_FAILED);
            return WBEM_E_FAILED;
        }
        classMapper->SetUserEntry(entry);
        classMapper->CanViewAll();
    }
    return S_OK;
}
