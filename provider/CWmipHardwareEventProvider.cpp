#include "provider/CWmipHardwareEventProvider.h"

#include <string_view>
#include <vector>

#include "framework/CWmipMessages.h"
#include "framework/CWmipQuery.h"
#include "hardware/LAcsAccessPanel.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemProviderInitSink.h"
#include "platform/wmi/IWbemServices.h"
#include "provider/CWmipAccessEventMapper.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventSubscriber.h"
#include "provider/CWmipHardwareEventProcessor.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/CWmipStoredRows.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kHardwareEventProviderSource[] = L"wpHardwareEventProvider";

// Lets only the panel terms of a hardware event query into the SQL of the access check, named
// as the access mapper names them; every other term (a device, a card) is dropped, which
// widens the query to every panel whose events it could let through: an event carries its
// device whether or not a reader row stands for it.
class PanelTermsMapper : public CWmipMapper
{
public:
    explicit PanelTermsMapper(CWmipMapper& columns)
        : CWmipMapper(columns.GetContext(), columns.GetServices(), columns.GetClassName()), m_columns(columns)
    {
    }

    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override
    {
        const ProcessClauseResult result = m_columns.ProcessClause(property, wqlOperator, literal, extra);
        if (result == ProcessClauseKeep &&
            property.Left(static_cast<int>(kPanelTable.size())).CompareNoCase(kPanelTable.data()) == 0)
        {
            return result;
        }
        return ProcessClauseDrop;
    }

private:
    static constexpr std::wstring_view kPanelTable = L"ACCESSPANE.";
    CWmipMapper& m_columns;
};
}  // namespace

CWmipHardwareEventProvider::CWmipHardwareEventProvider(const CString& providerId)
    : CWmipEventProvider(providerId, HardwareEventProvider, kHardwareEventProviderSource, L"Hardware")
{
    AFX_MANAGE_STATE(&theApp);
    m_queue = std::make_shared<ThreadSafeQueue<BntMessageEx>>(true);
}

CWmipHardwareEventProvider::~CWmipHardwareEventProvider()
{
    AFX_MANAGE_STATE(&theApp);
    // Stopped whenever it was started, whatever the thread's own flag says at this moment; a
    // thread that does not stop keeps its processor, and the queue with it, until it ends.
    m_processor.reset();
    Release();
    m_queue.reset();
}

HRESULT CWmipHardwareEventProvider::Initialize(LPWSTR /*user*/, LONG /*flags*/, LPWSTR /*ns*/, LPWSTR /*locale*/,
                                               IWbemServices* services, IWbemContext* context,
                                               IWbemProviderInitSink* initSink)
{
    AFX_MANAGE_STATE(&theApp);
    CWMIDebugLog::LogInfo(kHardwareEventProviderSource, __LINE__, L"Initializing hardware event provider...");
    {
        const CheckedMutexLock guard(m_lock);
        // A processor that may be running is never replaced under its thread.
        if (m_processor == nullptr)
        {
            if (services != nullptr)
            {
                m_services = ComPtr<IWbemServices>(services);
            }
            LWorkerThread::Ptr<CWmipHardwareEventProcessor> processor(
                new CWmipHardwareEventProcessor(m_queue, m_audience));
            processor->CreateMappers(context, services);
            m_processor = std::move(processor);
        }
    }
    if (initSink != nullptr)
    {
        initSink->SetStatus(0, 0);
    }
    CWMIDebugLog::LogInfo(kHardwareEventProviderSource, __LINE__, L"Hardware event provider successfully initialized.");
    return S_OK;
}

bool CWmipHardwareEventProvider::StartProcessor(IWbemObjectSink* sink)
{
    m_processor->SetSink(sink);
    if (m_processor->Start(LWorkerThread::kPriorityNormal, 0, 0, nullptr))
    {
        return true;
    }
    // Nothing is kept, so WMI may hand the sink again.
    m_processor->SetSink(nullptr);
    return false;
}

HRESULT CWmipHardwareEventProvider::ReceiveHardwareEvent(DWORD size, const BYTE* record, LPCWSTR text, LPCWSTR hostName,
                                                         LONG alarmId)
{
    AFX_MANAGE_STATE(&theApp);
    if (size != BntMessage::kRecordSize)
    {
        CString message;
        message.Format(L"Invalid hardware event size of %d!", static_cast<int>(size));
        CWMIDebugLog::LogError(kHardwareEventProviderSource, __LINE__, message);
        if (size < BntMessage::kRecordSize)
        {
            CWMIDebugLog::LogError(kHardwareEventProviderSource, __LINE__, L"Size is too small, exiting...");
            return E_FAIL;
        }
    }
    if (record == nullptr)
    {
        CWMIDebugLog::LogError(kHardwareEventProviderSource, __LINE__, L"Hardware event without record bytes");
        return E_FAIL;
    }
    const BntMessageEx message(std::span<const BYTE, BntMessage::kRecordSize>(record, BntMessage::kRecordSize),
                               CString(text != nullptr ? text : L""), CString(hostName != nullptr ? hostName : L""),
                               alarmId);
    if (!m_queue->Push(message))
    {
        CWMIDebugLog::LogError(kHardwareEventProviderSource, __LINE__,
                               L"Hardware event queue is full; the event is dropped", E_FAIL);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CWmipHardwareEventProvider::AccessCheck(LPCWSTR /*language*/, LPCWSTR query, LONG sidLength, const BYTE* sid)
{
    AFX_MANAGE_STATE(&theApp);
    const CString queryText(query != nullptr ? query : L"");
    CWMIDebugLog::LogInfo(kHardwareEventProviderSource, __LINE__,
                          CString(L"Hardware event provider access check on query ") + queryText);

    const CWmipEventSubscriber subscriber(sidLength, sid);
    HRESULT hr = subscriber.Check(kHardwareEventProviderSource);
    if (FAILED(hr))
    {
        return hr;
    }
    const CAcsUser& user = *subscriber.GetUser();
    hr = CWmipEventSubscriber::RunQueryCheck(kHardwareEventProviderSource, L"hardware",
                                             [&] { return CheckQuerySegments(query, user); });
    CWMIDebugLog::LogInfo(kHardwareEventProviderSource, __LINE__, L"Leaving hardware event provider access check");
    return hr;
}

HRESULT CWmipHardwareEventProvider::CheckQuerySegments(LPCWSTR query, const CAcsUser& user)
{
    const std::unique_ptr<CWmipQuery> parsed = CWmipQuery::CreateFromQuery(query);
    if (parsed == nullptr || parsed->GetKind() != CWmipQuery::kSelect)
    {
        CWMIDebugLog::LogError(kHardwareEventProviderSource, __LINE__,
                               L"Hardware event query was not a SELECT statement or was not able to be parsed");
        return WBEM_E_ACCESS_DENIED;
    }
    if (!user.GetSystemOptions().SegmentsInUse())
    {
        return S_OK;
    }
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    if (manager == nullptr)
    {
        throw CWMIException(kHardwareEventProviderSource, __LINE__, WBEM_E_FAILED);
    }
    const CWmipPooledConnection connection(manager);
    if (connection.GetDatabase() == nullptr)
    {
        throw CWMIException(kHardwareEventProviderSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    }
    CDynamicRecordset panels(connection.GetDatabase());
    panels.SetupJoin(L"ACCESSPANE", L"PANELTYPE", L"PANELTYPE", L"PANELTYPEID");
    panels.AddFilterLong(L"PANELTYPE.PANELCLASS", LAcsAccessPanel::kAccessPanelClass);
    panels.AddColumnToSet(L"SEGMENTID", L"ACCESSPANE");
    panels.AddColumnToSet(L"PANELID", L"ACCESSPANE");

    // The access mapper only names columns for the query; it keeps nothing of it.
    CWmipAccessEventMapper* mapper = m_processor != nullptr ? m_processor->GetAccessMapper() : nullptr;
    if (mapper == nullptr)
    {
        throw CWMIException(kHardwareEventProviderSource, __LINE__, WBEM_E_FAILED);
    }
    PanelTermsMapper panelTerms(*mapper);
    parsed->SetMapper(&panelTerms);
    parsed->TranslateWhereClause();
    const CString clause = parsed->GetWhereClause();
    if (!clause.IsEmpty())
    {
        panels.AppendFilter(FixupTextForUnicode(clause, connection.GetDatabase()), parsed->GetWhereParameters());
    }
    panels.OpenForwardOnly();
    // A panel whose segment cannot be read is unknown, as it is to the panel/segment cache: its
    // events reach only those who see every segment, so it refuses no watch.
    HRESULT hr = S_OK;
    CWmipStoredRows::ForEach(panels, L"ACCESSPANE", {L"PANELID"}, [&] {
        if (!CWmipEventSubscriber::MaySeeSegment(user, panels.GetLong(0)))
        {
            hr = WBEM_E_ACCESS_DENIED;
        }
    });
    panels.Close();
    return hr;
}
