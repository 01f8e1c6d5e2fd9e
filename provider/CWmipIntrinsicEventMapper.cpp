#include "provider/CWmipIntrinsicEventMapper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "framework/CWmipMessages.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "framework/IWmipUserEntry.h"

#include <algorithm>
#include <iterator>

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/xml/XmlDocument.h"
#include "provider/CWmipPooledConnection.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kIntrinsicEventMapperSource[] = L"wpIntrinsicEventMapper";

constexpr wchar_t kNewData[] = L"(/ROOT/NEWDATA|/root/NewData)";
constexpr wchar_t kOldData[] = L"(/ROOT/OLDDATA|/root/OldData)";
constexpr wchar_t kPersonKind[] = L"/EMP/VISITOR";
constexpr wchar_t kNewPerson[] = L"/ROOT/NEWDATA/EMP|/root/NewData/EMP";
constexpr wchar_t kOldPerson[] = L"/ROOT/OLDDATA/EMP|/root/OldData/EMP";

// The event classes of the effective operations 1, 2 and 3.
constexpr const wchar_t* kEventClasses[] = {L"__InstanceCreationEvent", L"__InstanceModificationEvent",
                                            L"__InstanceDeletionEvent"};

// The options that let a read hide a record from a user who does not see every segment.
constexpr SegmentOption kSegmentationOptions[] = {SegmentOptionSegments, SegmentOptionCardholders,
                                                  SegmentOptionVisitors, SegmentOptionBadgeTypes};

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
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, L"Error creating software event", WBEM_E_FAILED,
                               &e);
        return WBEM_E_FAILED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, L"Unspecified error creating software event",
                               WBEM_E_FAILED);
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
    CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, message);
    CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, CString(std::wstring(text).c_str()));
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

// The instance's value of the property as text; false when it holds none.
bool ValueText(IWbemClassObject& instance, const CString& property, CString& text)
{
    _variant_t value;
    if (FAILED(instance.Get(property, 0, &value, nullptr, nullptr)) || value.vt == VT_NULL || value.vt == VT_EMPTY ||
        FAILED(VariantChangeType(&value, &value, 0, VT_BSTR)))
        return false;
    text = CString(value.bstrVal);
    return true;
}

// The instance's property that holds the joined table's key column (named "TABLE.COLUMN" by
// the read's join name): the property the class reads from that very column, else the one of a
// record the class declares its instances to name whose key lies in that column. Empty when
// the instance names no such value.
CString KeyProperty(CWmipClassMapper& mapper, const std::vector<CString>& properties, const CString& joinedColumn,
                    const CString& tableColumn)
{
    for (const CString& property : properties)
    {
        if (mapper.GetTableDotColumn(property).CompareNoCase(joinedColumn) == 0)
            return property;
    }
    const CWMITypeInfo* type = mapper.GetTypeInfo();
    if (type == nullptr)
        return CString();
    for (const CWMITypeInfo::NamedRecord& named : type->GetNamedRecords())
    {
        const CWMITypeInfo* referenced = CWmipMapperRegistry::Instance()->GetTypeInfo(named.referencedClass, true);
        if (!named.method.IsEmpty() || referenced == nullptr || named.names.size() != named.referencedKeys.size())
            continue;
        for (std::size_t i = 0; i < named.names.size(); ++i)
        {
            CString column;
            if (referenced->GetColumnForProperty(named.referencedKeys[i], column) &&
                column.CompareNoCase(tableColumn) == 0)
                return named.names[i];
        }
    }
    return CString();
}

// The instance's property that a read of its class takes from the column (named "NAME.COLUMN"
// by the read's join names): the one the class maps to it, else the one the mapper builds from
// it when the class maps that one to no column. Empty when the instance holds none.
CString PropertyReading(CWmipClassMapper& mapper, const std::vector<CString>& properties, const CString& column)
{
    for (const CString& property : properties)
    {
        if (mapper.GetTableDotColumn(property).CompareNoCase(column) == 0)
            return property;
    }
    const int dot = column.Find(L'.');
    const CString built = mapper.GetPropertyName(column.Mid(dot + 1), column.Left(dot));
    const bool held = std::any_of(properties.begin(), properties.end(),
                                  [&built](const CString& property) { return property.CompareNoCase(built) == 0; });
    return held && mapper.GetTableDotColumn(built).IsEmpty() ? built : CString();
}

// The row of the joined table `name` that a read of the instance joins: each column its join
// matches with the instance's value of the column it is matched with (column and value text).
// Empty when the join matches a column the instance holds no value of.
std::vector<std::pair<CString, CString>> JoinedRowKeys(CWmipClassMapper& mapper, const CRecordsetQuery& shape,
                                                       const CString& name, const std::vector<CString>& properties,
                                                       IWbemClassObject& instance)
{
    std::vector<CString> partners;
    const std::vector<CString> joined = shape.GetJoinedColumns(name, &partners);
    std::vector<std::pair<CString, CString>> keys;
    for (std::size_t i = 0; i < joined.size(); ++i)
    {
        const CString property = PropertyReading(mapper, properties, partners[i]);
        CString value;
        if (property.IsEmpty() || !ValueText(instance, property, value))
            return {};
        keys.emplace_back(joined[i], value);
    }
    return keys;
}

// The record of the class whose keys (column and value text, of its table) a joined instance
// names, as its stored row holds it: an instance of the class with the whole-number values the
// table keeps (keys, segment, owners), which its segment sources judge it by. Null when no row,
// or more than one, holds the keys.
ComPtr<IWbemClassObject> StoredRecord(CBntDatabase* database, const CWMITypeInfo& type, const CString& table,
                                      const std::vector<std::pair<CString, CString>>& keys)
{
    std::vector<std::pair<CString, CString>> numbers;
    for (const auto& [property, column] : type.GetPropertyColumns())
    {
        const CIMTYPE cimType = static_cast<CIMTYPE>(type.GetPropertyType(property));
        if (column.Left(column.Find(L'.')).CompareNoCase(table) == 0 && IsIntegerCimType(cimType) &&
            cimType != CIM_SINT64 && cimType != CIM_UINT64)
            numbers.emplace_back(property, column);
    }
    if (numbers.empty())
        return nullptr;
    CDynamicRecordset rows(database);
    rows.SetTable(table);
    for (const auto& [property, column] : numbers)
        rows.AddColumnToSet(column.Mid(column.Find(L'.') + 1), table);
    for (const auto& [column, value] : keys)
        rows.AddFilterText(table + L"." + column, value);
    rows.OpenForwardOnly();
    ComPtr<IWbemClassObject> recordClass;
    ComPtr<IWbemClassObject> instance;
    if (rows.IsEOF() || FAILED(CreateWbemClass(type.GetClassName(), nullptr, &recordClass)))
        return nullptr;
    for (const auto& [property, column] : numbers)
    {
        if (FAILED(recordClass->Put(property, 0, nullptr, CIM_SINT32)))
            return nullptr;
    }
    if (FAILED(recordClass->SpawnInstance(0, &instance)))
        return nullptr;
    for (const auto& [property, column] : numbers)
    {
        if (!rows.IsFieldNull(column) && FAILED(WMIHelper::PutNumber(instance.Get(), property, rows.GetLong(column))))
            return nullptr;
    }
    rows.MoveNext();
    return rows.IsEOF() ? instance : nullptr;
}

// True when some segmentation option is on, so that a read may hide a joined row from a user who
// does not see every segment; with all of them off no read hides one.
bool SegmentationRestricts(const CBntAcsSystemOptions& options)
{
    return std::any_of(
        std::begin(kSegmentationOptions), std::end(kSegmentationOptions),
        [&options](SegmentOption option) { return CWMITypeInfo::IsSegmentationOptionEnabled(options, option); });
}

unsigned JoinedRecordBit(std::size_t index)
{
    return 1u << std::min(index, CWmipIntrinsicEventMapper::kJoinedRecordBits - 1);
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
    if (!WMIHelper::UnquoteWqlLiteral(literal, className))
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
    const std::unique_ptr<CWmipClassMapper> classMapper(CWmipMapperRegistry::GetMapper(
        consumer.GetUser(), GetContext(), GetServices(), className.GetString(), GetDoor()));
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
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, message, WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    XmlDocument document;
    document.SetProperty(L"SelectionLanguage", L"XPath");
    LoadEventText(document, WideText(packet.Text));

    const CWmipPooledConnection connection(GetConnectionManager());
    if (connection.Get() == nullptr)
        throw CWMIException(kIntrinsicEventMapperSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    if (connection.GetDatabase() == nullptr)
        throw CWMIException(kIntrinsicEventMapperSource, __LINE__, WBEM_E_FAILED);

    const SoftwareEventType recordKind = packet.EventType == kEventTypePerson
                                             ? PersonKind(document, packet.TransactionType)
                                             : static_cast<SoftwareEventType>(packet.EventType);
    const std::unique_ptr<CWmipClassMapper> classMapper(
        CWmipMapperRegistry::GetMapper(connection.Get(), GetContext(), GetServices(), recordKind, GetDoor()));
    // A record kind without a class has nothing to build the target from.
    if (classMapper == nullptr)
    {
        CString message;
        message.Format(L"Software event of record type %d has no class; dropped", packet.EventType);
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, message, WBEM_E_FAILED);
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
        throw CWMIException(kIntrinsicEventMapperSource, __LINE__, hr);
    hr = eventClass->SpawnInstance(0, &event);
    if (FAILED(hr))
        throw CWMIException(kIntrinsicEventMapperSource, __LINE__, hr);

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
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, L"Error filling in instances", failure.code);
        return failure.code;
    }
    catch (const UnspecifiedFailure&)
    {
        CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__, L"Unspecified error creating software event",
                               WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }

    CWMIDebugLog::LogInfo(kIntrinsicEventMapperSource, __LINE__, L"Filled in instance(s)");
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
            CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__,
                                   L"Unable to read whether a subscriber may read a changed record.", WBEM_E_FAILED,
                                   &e);
            return false;
        }
        targetSeen = targetSeen || CString(name) == L"TargetInstance";
    }
    return targetSeen;
}

std::vector<CWmipIntrinsicEventMapper::JoinedRecord> CWmipIntrinsicEventMapper::FindJoinedRecords(
    IWbemClassObject& event)
{
    std::vector<JoinedRecord> records;
    std::unique_ptr<CWmipPooledConnection> connection;
    for (const wchar_t* holder : {L"TargetInstance", L"PreviousInstance"})
    {
        ComPtr<IWbemClassObject> instance;
        CString className;
        if (!HeldInstance(event, holder, instance, className) || instance == nullptr)
            continue;
        if (connection == nullptr)
        {
            connection = std::make_unique<CWmipPooledConnection>(GetConnectionManager());
            if (connection->Get() == nullptr || connection->GetDatabase() == nullptr)
                throw CWMIException(kIntrinsicEventMapperSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
        }
        const std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::GetMapper(
            connection->Get(), GetContext(), GetServices(), className.GetString(), GetDoor()));
        if (mapper == nullptr)
            continue;
        std::vector<CString> properties;
        WMIHelper::ForEachProperty(instance.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                   [&properties](const CString& property, const VARIANT&, CIMTYPE) {
                                       properties.push_back(property);
                                       return true;
                                   });
        // The tables the class's read joins, as a read of the class shapes them.
        CDynamicRecordset shape(connection->GetDatabase());
        mapper->SetupInstanceRecordset(&shape);
        const auto joins = shape.GetQuery().GetTableNames();
        for (std::size_t i = 1; i < joins.size(); ++i)
        {
            const auto& [name, table] = joins[i];
            std::vector<CString> keyColumns;
            const CWMITypeInfo* joined = CWmipSegmentSourceFilter::ClassOfJoinedTable(table, &keyColumns);
            if (joined == nullptr || joined == mapper->GetTypeInfo())
                continue;
            JoinedRecord record{holder, joined, nullptr, {}};
            for (const CString& property : properties)
            {
                const CString column = mapper->GetTableDotColumn(property);
                if (column.Left(column.Find(L'.')).CompareNoCase(name) == 0)
                    record.properties.push_back(property);
            }
            if (record.properties.empty())
                continue;
            // The row the read joins, by the join's own conditions; else by the keys the instance
            // names, a key it does not name (a timezone's segment) being left to the stored row.
            std::vector<std::pair<CString, CString>> keys =
                JoinedRowKeys(*mapper, shape.GetQuery(), name, properties, *instance.Get());
            for (const CString& keyColumn : keys.empty() ? keyColumns : std::vector<CString>())
            {
                const CString property =
                    KeyProperty(*mapper, properties, name + L"." + keyColumn, table + L"." + keyColumn);
                CString value;
                if (!property.IsEmpty() && ValueText(*instance.Get(), property, value))
                    keys.emplace_back(keyColumn, value);
            }
            if (!keys.empty())
                record.stored = StoredRecord(connection->GetDatabase(), *joined, table, keys);
            records.push_back(std::move(record));
        }
    }
    return records;
}

unsigned CWmipIntrinsicEventMapper::HiddenJoinedRecords(IWmipUserEntry& consumer,
                                                        const std::vector<JoinedRecord>& records)
{
    const CAcsUser* user = consumer.GetUser();
    if (user != nullptr && (user->IsAllSegmentsUser() || !SegmentationRestricts(user->GetSystemOptions())))
        return 0;
    unsigned hidden = 0;
    for (std::size_t i = 0; i < records.size(); ++i)
    {
        bool seen = false;
        try
        {
            seen = user != nullptr && records[i].stored != nullptr &&
                   CWmipSegmentSourceFilter::Admits(*user, *records[i].type, *records[i].stored.Get(),
                                                    user->GetDatabase());
        }
        catch (const CDBException& e)
        {
            CWMIDebugLog::LogError(kIntrinsicEventMapperSource, __LINE__,
                                   L"Unable to read whether a subscriber may see a joined record.", WBEM_E_FAILED, &e);
        }
        if (!seen)
            hidden |= JoinedRecordBit(i);
    }
    return hidden;
}

ComPtr<IWbemClassObject> CWmipIntrinsicEventMapper::Conceal(IWbemClassObject& event,
                                                            const std::vector<JoinedRecord>& records, unsigned hidden)
{
    IWbemClassObject* raw = nullptr;
    if (FAILED(event.Clone(&raw)) || raw == nullptr)
        return nullptr;
    ComPtr<IWbemClassObject> form;
    form.Attach(raw);
    for (const wchar_t* holder : {L"TargetInstance", L"PreviousInstance"})
    {
        ComPtr<IWbemClassObject> instance;
        CString className;
        if (!HeldInstance(event, holder, instance, className) || instance == nullptr)
            continue;
        // The instance is copied too, so the other forms keep their values.
        IWbemClassObject* copied = nullptr;
        if (FAILED(instance->Clone(&copied)) || copied == nullptr)
            return nullptr;
        ComPtr<IWbemClassObject> copy;
        copy.Attach(copied);
        for (std::size_t i = 0; i < records.size(); ++i)
        {
            if ((hidden & JoinedRecordBit(i)) == 0 || CString(records[i].holder) != holder)
                continue;
            for (const CString& property : records[i].properties)
            {
                if (FAILED(WMIHelper::PutVariant(copy.Get(), property, nullptr, 0)))
                    return nullptr;
            }
        }
        if (FAILED(WMIHelper::PutObject(form.Get(), holder, copy.Get())))
            return nullptr;
    }
    return form;
}
