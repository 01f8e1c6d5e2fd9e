// CWmipGuardTourMapper: the read-only mapper of Bnt_GuardTour, the guard tours of the TOUR
// table, with the WMI method LaunchTour, which asks the linkage server of the caller's database
// to start a tour for a guard's badge at a monitoring station.
//
// Built per request by its factory; the caller owns it. One request on one thread; the linkage
// server proxy is made for one call, after the write frame's commit, and serialises its own
// remote calls.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipGuardTourMapper : public CWmipMapperSkeleton<CWmipGuardTourMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_GuardTour";
    // The result LaunchTour answers when the linkage server wrote none (or none was reached).
    static constexpr LONG kNotLaunched = 7;

    // Keeps user (not owned) for the method.
    CWmipGuardTourMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The tour the path names (none: throws CWMIException 0x80041002); "LaunchTour" without
    // regard to case runs the handler, any other name answers 0x80041055.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

private:
    // What the launch asks of the linkage server, read in the write frame.
    struct Launch
    {
        LONG tourId = 0;
        LONGLONG badgeId = 0;
        LONG stationId = 0;
        // Empty when no linkage server serves the caller's database: nobody is asked.
        CString host;
    };

    // In the write frame, behind its permission step (0x100000BA, refusals thrown) and its check
    // of the badge: the tour, badge and station ids and the linkage server's host into launch.
    // S_OK; 0x80041001 for any failure (the frame then asks nobody).
    HRESULT PrepareLaunch(IWbemClassObject* instance, IWbemClassObject* inParams, Launch& launch);
    // After the frame's commit: the call (none without a host) and the out-parameter
    // ReturnValue; the HRESULT of the indication; 0x80041001 for any failure.
    HRESULT LaunchTour(const Launch& launch, IWbemObjectSink* sink);
    // The host name of the linkage server of the kept user's database; false when there is none.
    bool FindLinkageServerHost(CString& host);

    // Set at construction; not owned.
    const CAcsUser* const m_user;
};
