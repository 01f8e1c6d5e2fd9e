#include "provider/CWmipPanelSegmentCache.h"

#include <algorithm>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/CWmipStoredRows.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kPanelSegmentCacheSource[] = L"CWmipPanelSegmentCache.cpp";
constexpr LONG kSpanValueId = 34;
}  // namespace

CWmipPanelSegmentCache::CWmipPanelSegmentCache(const IClock& clock)
    : m_clock(clock),
      m_spanMs(static_cast<ULONGLONG>(std::max<LONG>(CWmipApp::GetStoredValue(kSpanValueId), 0)) * 1000),
      m_lastLoad(clock.GetTickCount64())
{
    Load();
}

void CWmipPanelSegmentCache::Load()
{
    m_panels.clear();
    const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
    if (connection.GetDatabase() == nullptr)
    {
        return;
    }
    try
    {
        m_segmentsInUse = CBntAcsSystemOptions::SegmentsInUse(connection.GetDatabase());
        if (m_segmentsInUse)
        {
            CDynamicRecordset panels(connection.GetDatabase());
            panels.SetTable(L"ACCESSPANE");
            panels.AddColumnToSet(L"PANELID");
            panels.AddColumnToSet(L"SEGMENTID");
            panels.OpenForwardOnly();
            CWmipStoredRows::ForEach(panels, L"ACCESSPANE", {L"PANELID"}, [&] {
                const LONG panel = panels.GetLong(0);
                const LONG segment = panels.GetLong(1);
                m_panels[panel] = segment;
            });
            panels.Close();
        }
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kPanelSegmentCacheSource, __LINE__, L"Error loading panel/segment cache", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kPanelSegmentCacheSource, __LINE__, L"Unspecified error loading panel/segment cache",
                               E_FAIL);
    }
    // Also after a failure, so a failing database is not asked again before the span passes.
    m_lastLoad = m_clock.GetTickCount64();
}

LONG CWmipPanelSegmentCache::GetSegmentID(LONG panelId)
{
    // A clock that stands before the last load counts as no time passed.
    const ULONGLONG now = m_clock.GetTickCount64();
    if (now > m_lastLoad && now - m_lastLoad > m_spanMs)
    {
        Load();
    }
    if (!m_segmentsInUse)
    {
        return -1;
    }
    CString text;
    if (panelId <= 0)
    {
        text.Format(
            L"CWmipPanelSegmentCache::GetSegmentID - Invalid Panel ID %d is probably from a controllerless event",
            static_cast<int>(panelId));
        CWMIDebugLog::LogInfo(kPanelSegmentCacheSource, __LINE__, text);
        return -1;
    }
    const auto found = m_panels.find(panelId);
    if (found != m_panels.end())
    {
        return found->second;
    }
    text.Format(L"Panel with ID %d is not in the panel/segment cache", static_cast<int>(panelId));
    CWMIDebugLog::LogError(kPanelSegmentCacheSource, __LINE__, text);
    return -1;
}
