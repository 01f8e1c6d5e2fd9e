// The WMI methods of CWmipVisitMapper: SignVisitIn and SignVisitOut. Each runs in one transaction
// on the mapper's connection: the visit's times, the badges issued or signed out and the notices
// stand or fall together, and the communication server hears of the badges only after the commit.
#include "common/AccessCodes.h"
#include "mappers/records/CWmipVisitMapper.h"

#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/IntegerValue.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/CBadgeType.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrVisit.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUserDb/CVisit.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

#include <algorithm>
#include <optional>
#include <string>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kVisitMapperMethodsSourceFile[] = L"CWmipVisitMapperMethods.cpp";
// The user action of assigning a badge of a type.
constexpr LONG kAssignBadgeTypeAction = 6;

constexpr wchar_t kBadgeSignOutFailed[] = L"Error signing out specified visitor's badge.";

[[noreturn]] void Fail(int line, const wchar_t* message)
{
    throw CWMIException(kVisitMapperMethodsSourceFile, line, WBEM_E_FAILED, message);
}

// A refusal of the caller's own value (a badge id that is no number): it leaves the method as
// it was thrown, where every other failure of the method's work ends as 0x80041001.
struct CallerValueRefused
{
    CWMIException refusal;
};

// The end of a failed sign-in or sign-out, called only inside a catch block: 0x80041001 without
// a text, the reason written to the log when `logged` (the sign-in logs it, the sign-out not).
HRESULT FailedMethod(int line, const CString& method, bool logged)
{
    try
    {
        throw;
    }
    catch (const CallerValueRefused& refused)
    {
        throw refused.refusal;
    }
    catch (const CException& e)
    {
        if (logged)
            CWMIDebugLog::LogError(kVisitMapperMethodsSourceFile, line,
                                   L"An error occurred in CWmipVisitMapper::" + method, WBEM_E_FAILED, &e);
    }
    catch (const CWMIException& e)
    {
        if (logged)
            CWMIDebugLog::LogError(kVisitMapperMethodsSourceFile, line,
                                   L"An unexpected error occurred in CWmipVisitMapper::" + method, e.GetHResult(),
                                   nullptr, &e);
    }
    catch (...)
    {
        if (logged)
            CWMIDebugLog::LogError(kVisitMapperMethodsSourceFile, line,
                                   L"An unexpected error occurred in CWmipVisitMapper::" + method);
    }
    return WBEM_E_FAILED;
}

// AssignedBadgeID: a 64-bit number, carried as decimal text; 0 when absent or empty. Any other
// text is refused with 0x80041008 rather than read as far as it goes.
LONGLONG AssignedBadgeId(IWbemClassObject* inParams)
{
    if (inParams == nullptr)
        return 0;
    _variant_t value;
    if (FAILED(inParams->Get(L"AssignedBadgeID", 0, &value, nullptr, nullptr)) || value.vt == VT_EMPTY ||
        value.vt == VT_NULL)
        return 0;
    if (value.vt != VT_BSTR)
    {
        LONGLONG number = 0;
        if (FAILED(WMIHelper::GetNumber64(inParams, L"AssignedBadgeID", number)))
            CWmipRecordChecks::ThrowNamed(kVisitMapperMethodsSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"AssignedBadgeID");
        return number;
    }
    CString text(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)));
    if (text.Trim().IsEmpty())
        return 0;
    const std::optional<LONGLONG> number = IntegerValue::FromText(text.GetWString(), IntegerValue::TextRule::Exact);
    if (!number)
        CWmipRecordChecks::ThrowNamed(kVisitMapperMethodsSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"AssignedBadgeID");
    return *number;
}
}  // namespace

HRESULT CWmipVisitMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                        IWbemClassObject* inParams, IWbemObjectSink*)
{
    const CString name(methodName != nullptr ? methodName : L"");
    if (path != nullptr && name.CompareNoCase(kSignVisitInMethod) == 0)
        return SignVisitIn(path, inParams);
    if (path != nullptr && name.CompareNoCase(kSignVisitOutMethod) == 0)
        return SignVisitOut(path, inParams);
    ComPtr<IWbemClassObject> instance;
    instance.Attach(GetCurrentInstance(path));
    if (instance == nullptr)
        throw CWMIException(kVisitMapperMethodsSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

CAcsUser* CWmipVisitMapper::CheckMethodCaller(IWbemClassObject* instance)
{
    RequirePermission(Permission::kSignVisits, instance);
    return RequireUser();
}

HRESULT CWmipVisitMapper::RunSigning(CWmipObjectPath* path, const wchar_t* method, IWbemClassObject* inParams,
                                     const std::function<void(IWbemClassObject* visit, CAcsUser* user)>& body)
{
    CAcsUser* user = nullptr;
    return CWmipWriteFrame::RunMethod(
        *this, path, method, inParams, [&](IWbemClassObject* visit) { user = CheckMethodCaller(visit); },
        [&](IWbemClassObject* visit, CBntDatabase&) {
            try
            {
                body(visit, user);
            }
            catch (...)
            {
                return FailedMethod(__LINE__, method, CString(method) == kSignVisitInMethod);
            }
            return S_OK;
        });
}

HRESULT CWmipVisitMapper::SignVisitIn(CWmipObjectPath* path, IWbemClassObject* inParams)
{
    return RunSigning(path, kSignVisitInMethod, inParams, [&](IWbemClassObject* instance, CAcsUser* user) {
        LONGLONG issuedBadge = 0;
        std::vector<LONGLONG> changed;
        const auto manager = SetupVisitManager();
        CString timeIn;
        WMIHelper::GetString(instance, L"TIMEIN", timeIn);
        if (!timeIn.IsEmpty())
            Fail(__LINE__, CWmipMessages::kVisitSignedIn);
        LONG badgeTypeId = -1;
        CString printerName;
        if (inParams != nullptr)
        {
            WMIHelper::GetNumber(inParams, L"BadgeTypeID", badgeTypeId);
            WMIHelper::GetString(inParams, L"PrinterName", printerName);
        }
        LONGLONG badgeId = 0;
        try
        {
            badgeId = AssignedBadgeId(inParams);
        }
        catch (const CWMIException& e)
        {
            throw CallerValueRefused{e};
        }

        CVisit visit = VisitOf(instance);
        // The instance's visitor: reading the visit's e-mail fields reloads its stored row.
        const LONG visitorId = visit.GetVisitorID();
        if (!manager->ReadEmailFields(visit))
            Fail(__LINE__, CWmipMessages::kVisitUnreadable);
        CPerson visitor(visitorId, nullptr, -9999, 101);
        ReadVisitor(visitor);
        visitor.ReadSegmentAssignments(GetDatabaseUser());

        if (badgeTypeId > 0)
        {
            SignInWithNewBadge(badgeTypeId, printerName, user, visit, visitor, *manager);
            issuedBadge = visit.GetIssuedBadgeID();
        }
        else if (badgeId > 0)
        {
            SignInWithExistingBadge(badgeId, user, visit, visitor, *manager);
        }
        else if (!visit.Signin(GetDatabaseUser(), 0, 0, nullptr))
        {
            Fail(__LINE__, CWmipMessages::kVisitNotSignedIn);
        }
        RunBadgeUpdate(*manager, visit.GetVisitorID(), changed);
        SendNotice(*manager, visit, 21418, visit.GetName(), NoticeTime(visit.GetTimeIn()));
        // The panels hear of the badges once the sign-in has committed, as changed (action 2) as
        // after every sign-in; the new disposable badge among them, which the badge update would
        // carry when it is accepted.
        if (issuedBadge > 0 && std::find(changed.begin(), changed.end(), issuedBadge) == changed.end())
            changed.insert(changed.begin(), issuedBadge);
        for (const LONGLONG badge : changed)
            CWmipBadgeRecord::DownloadBadgeToPanel(badge, CWmipBadgeRecord::kChanged, CWmipBadgeRecord::kNoUseLimit);
    });
}

void CWmipVisitMapper::SignInWithNewBadge(LONG badgeTypeId, const CString& printerName, CAcsUser* user, CVisit& visit,
                                          const CPerson& visitor, CBntAcsDBMgrVisit& manager)
{
    if (!manager.AllowsDisposableBadges())
        Fail(__LINE__, CWmipMessages::kDisposableBadgesOff);
    CBadgeType type(badgeTypeId);
    CheckVisitBadgeType(type, user, visitor);
    if (!type.IsDisposable())
        Fail(__LINE__, CWmipMessages::kBadgeTypeNotDisposable);
    const CString printer = printerName.IsEmpty() ? type.DefaultPrintService(user) : printerName;
    if (printer.IsEmpty())
        Fail(__LINE__, CWmipMessages::kNoBadgePrinter);
    manager.FillBadgeTypeContainer(1);
    if (!visit.Signin(GetDatabaseUser(), 0, badgeTypeId, &printer))
        Fail(__LINE__, CWmipMessages::kVisitNotSignedIn);
}

void CWmipVisitMapper::SignInWithExistingBadge(LONGLONG badgeId, CAcsUser* user, CVisit& visit, const CPerson& visitor,
                                               CBntAcsDBMgrVisit& manager)
{
    const LONG badgeTypeId = GetBadgeTypeOfBadge(badgeId);
    if (badgeTypeId <= 0)
        Fail(__LINE__, CWmipMessages::kVisitBadgeNotFound);
    if (!user->HasPermission(Permission::kAddBadges))
        Fail(__LINE__, CWmipMessages::kNoBadgeAddPermission);
    if (!manager.AllowsVisitorBadges())
        Fail(__LINE__, CWmipMessages::kVisitorBadgesOff);
    CBadgeType type(badgeTypeId);
    CheckVisitBadgeType(type, user, visitor);
    std::vector<LONG> segments;
    if (user->GetSystemOptions().IsBadgeTypeSegmentationEnabled())
        segments.assign(type.GetSegmentAssignments().begin(), type.GetSegmentAssignments().end());
    if (CBntBadgeKey::GetNumDigits(badgeId) > user->GetMaxBadgeNumberLength(segments))
        Fail(__LINE__, CWmipMessages::kVisitBadgeIdTooLong);
    manager.FillBadgeTypeContainer(1);
    // The visit manager's sign-in takes only a badge the visitor already holds.
    if (!visit.Signin(GetDatabaseUser(), badgeId, 0, nullptr))
        Fail(__LINE__, CWmipMessages::kVisitNotSignedIn);
}

void CWmipVisitMapper::CheckVisitBadgeType(CBadgeType& type, CAcsUser* user, const CPerson& visitor)
{
    // The type is looked up as the caller: one it may not see is one that is not there.
    if (!CallerCanSee(L"Bnt_BadgeType", {{L"ID", type.GetID()}}) || FAILED(type.Read(GetDatabaseUser(), -1)) ||
        !type.ReadSegmentAssignments(GetDatabaseUser()))
        Fail(__LINE__, CWmipMessages::kNotVisitorBadgeType);
    if (type.GetClass() != CBadgeType::kVisitorClass)
        Fail(__LINE__, CWmipMessages::kNotVisitorBadgeType);
    if (!type.PermissionGranted(user, CUserAction(kAssignBadgeTypeAction, false)))
        Fail(__LINE__, CWmipMessages::kBadgeTypeNotPermitted);
    if (user->GetSystemOptions().IsVisitorSegmentationEnabled())
    {
        const auto& segments = visitor.GetSegmentAssignments();
        if (std::none_of(segments.begin(), segments.end(),
                         [&](LONG segment) { return type.HasSegmentAccess(segment, user); }))
            Fail(__LINE__, CWmipMessages::kBadgeTypeNotForThisVisitor);
    }
}

LONG CWmipVisitMapper::GetBadgeTypeOfBadge(LONGLONG badgeId)
{
    try
    {
        // The badge is looked up as the caller: the latest issue among those it may see.
        for (const auto& row : CLoginQuery::Rows(
                 *GetDatabase(), "SELECT BADGEKEY, TYPE FROM BADGE WHERE ID = ? ORDER BY ISSUECODE DESC", {badgeId}))
        {
            if (CallerCanSee(L"Bnt_Badge", {{L"BADGEKEY", static_cast<LONG>(CLoginQuery::Integer(row, 0))}}))
                return static_cast<LONG>(CLoginQuery::Integer(row, 1));
        }
        return 0;
    }
    catch (const CDBException& e)
    {
        throw CWMIException(kVisitMapperMethodsSourceFile, __LINE__, WBEM_E_FAILED, &e);
    }
}

HRESULT CWmipVisitMapper::SignVisitOut(CWmipObjectPath* path, IWbemClassObject* inParams)
{
    return RunSigning(path, kSignVisitOutMethod, inParams, [&](IWbemClassObject* instance, CAcsUser*) {
        std::vector<LONGLONG> signedOut;
        CVisit visit = VisitOf(instance);
        if (!visit.Read(GetDatabaseUser(), visit.GetID()).IsSuccess())
            Fail(__LINE__, CWmipMessages::kVisitNotRead);
        if (!visit.IsActive())
            Fail(__LINE__, CWmipMessages::kVisitNotActive);
        if (!visit.Signout(GetDatabaseUser()))
            Fail(__LINE__, CWmipMessages::kVisitorNotSignedOut);
        const auto manager = SetupVisitManager();
        try
        {
            manager->SignoutVisitorBadges(visit.GetVisitorID(), signedOut);
        }
        catch (const CDBException& e)
        {
            // A visitor who keeps working badges must not be reported as signed out: the whole
            // sign-out is undone.
            CWMIDebugLog::LogError(kVisitMapperMethodsSourceFile, __LINE__, kBadgeSignOutFailed, WBEM_E_FAILED, &e);
            throw;
        }
        SendNotice(*manager, visit, 21419, visit.GetName(), NoticeTime(visit.GetTimeOut()));
        // The panels hear of the badges once the sign-out has committed.
        for (const LONGLONG badge : signedOut)
            CWmipBadgeRecord::DownloadBadgeToPanel(badge, CWmipBadgeRecord::kRemoved, CWmipBadgeRecord::kNoUseLimit);
    });
}
