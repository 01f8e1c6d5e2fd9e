#include "provider/CWmipIntrinsicEventMapper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "framework/IWmipUserEntry.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/xml/XmlDocument.h"
#include "provider/CWmipPooledConnection.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kSource[] = L"wpIntrinsicEventMapper";

constexpr wchar_t kNewData[] = L"(/ROOT/NEWDATA|/root/NewData)";
constexpr wchar_t kOldData[] = L"(/ROOT/OLDDATA|/root/OldData)";
constexpr wchar_t kPersonKind[] = L"/EMP/VISITOR";
constexpr wchar_t kNewPerson[] = L"/ROOT/NEWDATA/EMP|/root/NewData/EMP";
constexpr wchar_t kOldPerson[] = L"/ROOT/OLDDATA/EMP|/root/OldData/EMP";

// The event classes of the effective operations 1, 2 and 3.
constexpr const wchar_t* kEventClasses[] = {L"__InstanceCreationEvent", L"__InstanceModificationEvent",
                                            L"__InstanceDeletionEvent"};

// A failure that is neither a CWMIException nor an MFC exception, reported as such.
struct UnspecifiedFailure
{
};

// A fill that answered a failure code.
struct FillFailure
{
    HRESULT code;
};

// Runs a step of making an event so that its exceptions leave as the code the caller answers.
template <class Step>
HRESULT GuardedEventStep(Step&& step)
{
    try
    {
        return step();
    }
    catch (const CWMIException& e)
    {
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Error creating software event", WBEM_E_FAILED, &e);
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unspecified error creating software event", WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
}

std::wstring WideText(std::u16string_view text)
{
    return brontel::utility::Utf8ToWide(brontel::utility::Utf16ToUtf8(text));
}

// Loads the text, logging a parse error with the whole text; the event goes on either way
// (every later selection then finds nothing).
void LoadEventText(XmlDocument& document, std::wstring_view text)
{
    if (document.LoadXML(text))
        return;
    const XmlParseError& error = document.GetParseError();
    CString message;
    message.Format(L"XML parse error: error code = 0x%x; source = line %ld, char %ld; error description = %s\n",
                   static_cast<unsigned>(error.errorCode), error.line, error.linePosition, error.reason.GetString());
    CWMIDebugLog::LogError(kSource, __LINE__, message);
    CWMIDebugLog::LogError(kSource, __LINE__, CString(std::wstring(text).c_str()));
}

// The target and previous instances of one event being built, and how to fill them.
class EventInstances
{
public:
    EventInstances(CWmipClassMapper& mapper, const XmlDocument& document) : m_mapper(mapper), m_document(document) {}

    // Fills the instance from the node that xpath selects in document.
    void Fill(ComPtr<IWbemClassObject>& instance, const wchar_t* xpath, const XmlDocument& document)
    {
        const XmlNode node = document.SelectSingleNode(xpath);
        IWbemClassObject* raw = instance.Detach();
        HRESULT hr = S_OK;
        try
        {
            hr = m_mapper.CreateInstanceFromXML(&raw, node, m_mapper.IsVisitorClass());
        }
        catch (...)
        {
            // The instance may have been spawned before the fill failed: it is ours to release.
            instance.Attach(raw);
            throw;
        }
        instance.Attach(raw);
        if (FAILED(hr))
            throw FillFailure{hr};
    }
    void Fill(ComPtr<IWbemClassObject>& instance, const wchar_t* xpath) { Fill(instance, xpath, m_document); }

    // Fills the instance from the data element of a second document that wraps the person
    // element of the first: "<ROOT><wrapper>" + its XML + "</wrapper></ROOT>".
    void FillFromPerson(ComPtr<IWbemClassObject>& instance, const wchar_t* personXPath, const wchar_t* wrapper,
                        const wchar_t* xpath)
    {
        const XmlNode person = m_document.SelectSingleNode(personXPath);
        if (person.IsNull())
            throw UnspecifiedFailure();
        XmlDocument wrapped;
        CString text;
        text.Format(L"<ROOT><%s>%s</%s></ROOT>", wrapper, person.GetXml().GetString(), wrapper);
        wrapped.LoadXML(text.GetString());
        Fill(instance, xpath, wrapped);
    }

    // target becomes a copy of source.
    static void CloneInto(ComPtr<IWbemClassObject>& target, const ComPtr<IWbemClassObject>& source)
    {
        if (source == nullptr)
            throw FillFailure{WBEM_E_FAILED};
        IWbemClassObject* copy = nullptr;
        const HRESULT hr = source->Clone(&copy);
        if (FAILED(hr))
            throw FillFailure{hr};
        target.Attach(copy);
    }

private:
    CWmipClassMapper& m_mapper;
    const XmlDocument& m_document;
};

// The record kind of a person event: VISITOR "0" (blanks around it allowed) is a cardholder.
SoftwareEventType PersonKind(const XmlDocument& document, SHORT transactionType)
{
    CString xpath(transactionType == CWmipIntrinsicEventMapper::kCreated ? kNewData : kOldData);
    xpath += kPersonKind;
    const XmlNode kind = document.SelectSingleNode(xpath.GetString());
    if (kind.IsNull())
        throw UnspecifiedFailure();
    CString text = kind.GetText();
    text.Trim();
    return text == L"0" ? SoftwareEventCardholder : SoftwareEventVisitor;
}

// The instance the event holds under name, and its class: false when the event holds none
// there; instance is null when what it holds is no instance of a named class.
bool HeldInstance(IWbemClassObject& event, const wchar_t* name, ComPtr<IWbemClassObject>& instance, CString& className)
{
    _variant_t value;
    if (FAILED(event.Get(name, 0, &value, nullptr, nullptr)) || value.vt != VT_UNKNOWN || value.punkVal == nullptr)
        return false;
    if (FAILED(value.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&instance))) ||
        FAILED(WMIHelper::GetString(instance.Get(), L"__CLASS", className)))
        instance = nullptr;
    return true;
}

}  // namespace

CWmipIntrinsicEventMapper::CWmipIntrinsicEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSoftwareEventMapper(context, services, L"__InstanceOperationEvent")
{
}

CWmipIntrinsicEventMapper::~CWmipIntrinsicEventMapper() = default;

ProcessClauseResult CWmipIntrinsicEventMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                             CString& /*extra*/)
{
    const bool instanceProperty =
        property.CompareNoCase(L"TargetInstance") == 0 || property.CompareNoCase(L"PreviousInstance") == 0;
    if (!instanceProperty || wqlOperator != WqlOpIsa)
        return ProcessClauseDrop;
    // The class name comes quoted; a literal of another form names no class.
    CString className;
    if (!UnquoteWqlLiteral(literal, className))
        return ProcessClauseKeep;
    if (className == L"Bnt_Person")
    {
        m_classList.emplace_back(L"Bnt_Cardholder");
        m_classList.emplace_back(L"Bnt_Visitor");
    }
    else
    {
        m_classList.push_back(className);
    }
    return ProcessClauseKeep;
}

bool CWmipIntrinsicEventMapper::HandlesEvent(const SoftwareEventPacket& packet)
{
    return packet.EventType < kFirstUnhandledEventType;
}

bool CWmipIntrinsicEventMapper::MayRead(IWmipUserEntry& consumer, IWbemClassObject& event)
{
    return MayViewClass(consumer, event, L"TargetInstance") && MayViewClass(consumer, event, L"PreviousInstance") &&
           consumer.GetUser() != nullptr && MayRead(*consumer.GetUser(), event);
}

bool CWmipIntrinsicEventMapper::MayViewClass(IWmipUserEntry& consumer, IWbemClassObject& event, const wchar_t* name)
{
    ComPtr<IWbemClassObject> instance;
    CString className;
    if (!HeldInstance(event, name, instance, className))
        return true;
    if (instance == nullptr)
        return false;
    const std::unique_ptr<CWmipClassMapper> classMapper(
        CWmipMapperRegistry::GetMapper(consumer.GetUser(), GetContext(), GetServices(), className.GetString()));
    if (classMapper == nullptr)
        return false;
    classMapper->SetUserEntry(&consumer);
    try
    {
        classMapper->CanViewAll();
        return true;
    }
    catch (const CWMIException&)
    {
        return false;
    }
}

void CWmipIntrinsicEventMapper::Lock()
{
    CWmipSoftwareEventMapper::Lock();
    m_classList.clear();
}

HRESULT CWmipIntrinsicEventMapper::SpawnEventInstance(IWbemClassObject** object)
{
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (*object != nullptr)
        return S_OK;
    return GuardedEventStep([&]() -> HRESULT {
        // The definition is kept by this mapper (WMI stores it): no reference of our own.
        IWbemClassObject* classObject = nullptr;
        HRESULT hr = GetClass(&classObject, FALSE);
        if (FAILED(hr))
            return hr;
        if (classObject == nullptr)
            return WBEM_E_FAILED;
        return classObject->SpawnInstance(0, object);
    });
}

HRESULT CWmipIntrinsicEventMapper::MapEvent(IWbemClassObject** event, const SoftwareEventPacket& packet)
{
    if (event == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *event = nullptr;
    return GuardedEventStep([&]() -> HRESULT {
        // An event that could not be filled is never handed out.
        ComPtr<IWbemClassObject> built;
        const HRESULT hr = BuildEvent(built, packet);
        if (SUCCEEDED(hr))
            *event = built.Detach();
        return hr;
    });
}

HRESULT CWmipIntrinsicEventMapper::BuildEvent(ComPtr<IWbemClassObject>& event, const SoftwareEventPacket& packet)
{
    // An unknown operation would ask WMI for a class without a name: refused before anything is built.
    if (packet.TransactionType < kCreated || packet.TransactionType > kDeleted)
    {
        CString message;
        message.Format(L"Software event with unknown transaction type %d dropped", packet.TransactionType);
        CWMIDebugLog::LogError(kSource, __LINE__, message, WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    XmlDocument document;
    document.SetProperty(L"SelectionLanguage", L"XPath");
    LoadEventText(document, WideText(packet.Text));

    const CWmipPooledConnection connection(GetConnectionManager());
    if (connection.Get() == nullptr)
        throw CWMIException(kSource, __LINE__, WBEM_E_FAILED,
                            L"The system was unable to open a database connection to service this request.");
    if (connection.GetDatabase() == nullptr)
        throw CWMIException(kSource, __LINE__, WBEM_E_FAILED);

    const SoftwareEventType recordKind = packet.EventType == kEventTypePerson
                                             ? PersonKind(document, packet.TransactionType)
                                             : static_cast<SoftwareEventType>(packet.EventType);
    const std::unique_ptr<CWmipClassMapper> classMapper(
        CWmipMapperRegistry::GetMapper(connection.Get(), GetContext(), GetServices(), recordKind));
    // A record kind without a class has nothing to build the target from.
    if (classMapper == nullptr)
    {
        CString message;
        message.Format(L"Software event of record type %d has no class; dropped", packet.EventType);
        CWMIDebugLog::LogError(kSource, __LINE__, message, WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    const bool reportAsModification = (packet.Flags & SoftwareEventPacket::kFlagReportAsModification) != 0;
    const SHORT operation = reportAsModification && (packet.EventType == SoftwareEventCardholder ||
                                                     packet.EventType == SoftwareEventVisitor)
                                ? kModified
                                : packet.TransactionType;

    ComPtr<IWbemClassObject> eventClass;
    HRESULT hr = GetObject(kEventClasses[operation - 1], &eventClass, 0, 0);
    if (FAILED(hr))
        throw CWMIException(kSource, __LINE__, hr);
    hr = eventClass->SpawnInstance(0, &event);
    if (FAILED(hr))
        throw CWMIException(kSource, __LINE__, hr);

    ComPtr<IWbemClassObject> target;
    ComPtr<IWbemClassObject> previous;
    EventInstances instances(*classMapper, document);
    try
    {
        if (reportAsModification && packet.EventType == kEventTypePerson && packet.TransactionType == kModified)
        {
            instances.Fill(previous, kOldData);
            EventInstances::CloneInto(target, previous);
            instances.Fill(target, kNewData);
        }
        else if (reportAsModification && packet.EventType != kEventTypePerson)
        {
            switch (packet.TransactionType)
            {
            case kCreated:
                instances.Fill(target, kNewData);
                instances.FillFromPerson(previous, kNewPerson, L"OLDDATA", kOldData);
                break;
            case kModified:
                instances.Fill(target, kNewData);
                EventInstances::CloneInto(previous, target);
                instances.Fill(previous, kOldData);
                break;
            default:
                instances.FillFromPerson(target, kOldPerson, L"NEWDATA", kNewData);
                instances.Fill(previous, kOldData);
                break;
            }
        }
        else if (operation == kModified)
        {
            instances.Fill(previous, kOldData);
            instances.Fill(target, kNewData);
        }
        else
        {
            instances.Fill(target, operation == kDeleted ? kOldData : kNewData);
        }
    }
    catch (const FillFailure& failure)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Error filling in instances", failure.code);
        return failure.code;
    }
    catch (const UnspecifiedFailure&)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unspecified error creating software event", WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    CWMIDebugLog::LogInfo(kSource, __LINE__, L"Filled in instance(s)");
    hr = S_OK;
    if (operation == kModified)
        hr = WMIHelper::PutObject(event.Get(), L"PreviousInstance", previous.Get());
    if (SUCCEEDED(hr))
        hr = WMIHelper::PutObject(event.Get(), L"TargetInstance", target.Get());
    return hr;
}

bool CWmipIntrinsicEventMapper::MayRead(const CAcsUser& user, IWbemClassObject& event)
{
    bool targetSeen = false;
    for (const wchar_t* name : {L"TargetInstance", L"PreviousInstance"})
    {
        ComPtr<IWbemClassObject> instance;
        CString className;
        if (!HeldInstance(event, name, instance, className))
            continue;
        if (instance == nullptr)
            return false;
        const CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(className, true);
        try
        {
            if (type == nullptr || !CWmipSegmentSourceFilter::Admits(user, *type, *instance.Get(), user.GetDatabase()))
                return false;
        }
        catch (const CDBException& e)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to read whether a subscriber may read a changed record.",
                                   WBEM_E_FAILED, &e);
            return false;
        }
        targetSeen = targetSeen || CString(name) == L"TargetInstance";
    }
    return targetSeen;
}
