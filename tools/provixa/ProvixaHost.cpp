#include "tools/provixa/ProvixaHost.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "framework/WqlEventFilterFactory.h"
#include "platform/com/Bstr.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "tools/provixa/ProvixaText.h"
#include "platform/security/CallerIdentity.h"
#include "platform/win32/SystemInfo.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemPathParser.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemCollectingSink.h"
#include "platform/wmi/WbemQueryParser.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "provider/CWmipApp.h"
#include "provider/LCfgRpcSender.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaInstallation.h"
#include "tools/provixa/ProvixaLineWriter.h"
#include "tools/provixa/ProvixaLinkedAccounts.h"
#include "tools/provixa/ProvixaObjectList.h"
#include "tools/provixa/ProvixaMethodArgument.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaProviderShell.h"
#include "tools/provixa/ProvixaSchemaLoader.h"
#include "tools/provixa/ProvixaBatch.h"
#include "tools/provixa/ProvixaEvents.h"
#include "tools/provixa/ProvixaExplanation.h"
#include "tools/provixa/ProvixaFailureLines.h"
#include "tools/provixa/WbemStatusName.h"
#include "bus/CCorvessaException.h"
#include "tools/provixa/ProvixaSoftwareEvents.h"
#include "tools/provixa/ProvixaSimulation.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>

namespace {
constexpr wchar_t kLocalSystemSid[] = L"S-1-5-18";

// A BSTR of the text for one call, freed when the owner goes.
BstrOwner Text(const std::string& utf8)
{
    return BstrOwner::Copy(ProvixaText::FromUtf8(utf8).c_str());
}

BstrOwner Text(const wchar_t* text)
{
    return BstrOwner::Copy(text);
}

// The library's application object for the length of a command, as the library's start-up
// and unloading give it to the WMI service's process.
class ApplicationScope
{
public:
    ApplicationScope() : m_switch(&theApp) { theApp.InitInstance(); }
    ~ApplicationScope() { theApp.ExitInstance(); }
    ApplicationScope(const ApplicationScope&) = delete;
    ApplicationScope& operator=(const ApplicationScope&) = delete;

private:
    CModuleStateSwitch m_switch;
};

// Gives the provider back when the command ends: it holds the namespace, which holds it.
class ProviderScope
{
public:
    explicit ProviderScope(WbemServiceNamespace& services) : m_services(services) {}
    ~ProviderScope() { m_services.ReleaseProviders(); }
    ProviderScope(const ProviderScope&) = delete;
    ProviderScope& operator=(const ProviderScope&) = delete;

private:
    WbemServiceNamespace& m_services;
};

std::wstring ComputerName()
{
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(buffer, &size) ? std::wstring(buffer, size) : std::wstring(L"localhost");
}

// A failure line of a request, with the status object the call left. When the code says
// that something named does not exist, `explain` (ProvixaExplanation) says what.
int RequestFailed(std::ostream& err, HRESULT status, const std::function<std::string(HRESULT)>& explain = {})
{
    const ComPtr<IWbemClassObject> statusObject = WbemErrorInfo::Take();
    std::string given = ProvixaOutput::Reason(statusObject.Get());
    const bool naming = status == WBEM_E_NOT_FOUND || status == WBEM_E_INVALID_OBJECT_PATH ||
                        status == WBEM_E_INVALID_CLASS || status == WBEM_E_INVALID_METHOD ||
                        status == WBEM_E_METHOD_NOT_IMPLEMENTED || status == WBEM_E_INVALID_PARAMETER ||
                        status == WBEM_E_INVALID_QUERY || status == WBEM_E_PROVIDER_NOT_CAPABLE;
    std::string added = naming && explain ? explain(status) : std::string();
    // The provider's general "could not be retrieved or does not exist" gives way to the
    // explanation that says which.
    if (!added.empty() && given == ProvixaText::ToUtf8(CWmipMessages::kNotFound))
        given.clear();
    // So does the parser's complaint about a path whose class name holds what no class name
    // holds (Bnt_Größe): the class is not there, which is what a person needs to hear.
    if (status == WBEM_E_INVALID_OBJECT_PATH && added.starts_with("there is no class "))
        given.clear();
    // The caller the provider did not know (an account not linked, local system) may simply
    // not have been named.
    const std::string notLinked = ProvixaText::ToUtf8(CWmipMessages::kAccountNotLinked);
    if ((status == WBEM_E_ACCESS_DENIED || status == WBEM_S_ACCESS_DENIED) &&
        given.starts_with(notLinked.substr(0, notLinked.find('.') + 1)))
        added = "name a linked caller with --as ACCOUNT or --sid SID";
    // The provider's general "unable to write" says nothing of a full disk or of a lock that
    // another process holds.
    const std::string cause = ProvixaText::ToUtf8(CBntDatabase::TakeLastFailureCause().GetString());
    if (!cause.empty() && given.find(cause) == std::string::npos)
        added = added.empty() ? cause : added + "; " + cause;
    // The provider's reason is a sentence; what the host adds follows it as one.
    if (!added.empty() && !given.empty() && given.back() == '.')
        given += " " + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(added[0])))) +
                 added.substr(1) + (added.back() == '.' ? "" : ".");
    else if (!added.empty())
        given += (given.empty() ? "" : "; ") + added;
    err << ProvixaOutput::Error(status, nullptr) << (given.empty() ? "" : ": " + given) << "\n";
    return ProvixaHost::kRequestFailed;
}

// A run the installation refuses (no database, no such account) or a value the request cannot
// carry: the reason, exit status 1.
int Refused(std::ostream& err, const std::string& message)
{
    err << "provixa: " << message << "\n";
    return ProvixaHost::kRequestFailed;
}

int UsageFailed(std::ostream& err, const std::string& message)
{
    err << "provixa: " << message << "\n";
    return ProvixaHost::kUsageError;
}

}  // namespace

void ProvixaHost::WarnOfUnreachedServers(std::ostream& err)
{
    for (const LCfgRpcSender::UnreachedServer& server : LCfgRpcSender::TakeUnreachedServers())
        err << "provixa: warning: a configuration message could not be delivered to the "
            << ProvixaText::ToUtf8(server.name.GetString()) << ", so the panels were not told of the change"
            << (server.logged ? "; " + std::string(ProvixaOutput::kLogKeepsMessage) : std::string()) << "\n";
}

std::string ProvixaHost::EffectText(Effect effect, const std::string& path, const std::string& method)
{
    switch (effect)
    {
    case Effect::Written:
        return path + " was written";
    case Effect::Deleted:
        return path + " was deleted";
    case Effect::MethodRan:
        return "the method " + method + " of " + path + " ran";
    }
    return std::string();
}

bool ProvixaHost::ReportUnwritten(std::ostream& out, std::ostream& err, const std::string& effect)
{
    out.flush();
    if (!ProvixaLineWriter::Broken(out))
        return false;
    std::string reason;
    if (ProvixaLineWriter::ClaimFailureReport(out, &reason))
        err << "provixa: "
            << (effect.empty() ? "cannot write the result to the standard output"
                               : effect + "; its confirmation could not be printed")
            << ": " << reason << "\n";
    return true;
}

namespace {

std::vector<ComPtr<IWbemClassObject>> Drain(IEnumWbemClassObject* enumerator)
{
    std::vector<ComPtr<IWbemClassObject>> objects;
    for (;;)
    {
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        enumerator->Next(WBEM_INFINITE, 1, &object, &returned);
        if (returned == 0)
            return objects;
        ComPtr<IWbemClassObject> owned;
        owned.Attach(object);
        objects.push_back(std::move(owned));
    }
}

// The caller named on the command line: its SID text, or false with *error.
bool ResolveCaller(const ProvixaCommandLine& commandLine, ProvixaLinkedAccounts& accounts, std::wstring* sid,
                   std::string* error)
{
    if (!commandLine.callerSid.empty())
    {
        *sid = ProvixaText::FromUtf8(commandLine.callerSid);
        return true;
    }
    if (commandLine.callerName.empty())
    {
        *sid = CallerIdentity::ProcessAccountSid();
        return true;
    }
    // The system administrator has no Windows account of its own: the system runs as local
    // system.
    if (WbemName::Equal(ProvixaText::FromUtf8(commandLine.callerName), L"sa"))
    {
        *sid = kLocalSystemSid;
        return true;
    }
    return accounts.Find(commandLine.callerName, sid, error);
}

// A value as a refusal shows it: quoted and escaped, so that a stray blank or control character
// can be seen.
std::string Shown(const std::string& text)
{
    return ProvixaOutput::JsonString(ProvixaText::FromUtf8(text));
}

// The numbers an integer type takes, as a refusal names them.
std::string NumberForm(CIMTYPE type)
{
    return ProvixaText::ToUtf8(CWmipMessages::NumberForm(type));
}

// The VARIANT that carries `text` for a property of CIM type `type`; false with *error when
// the text does not fit the type.
bool ValueFor(CIMTYPE type, const std::string& text, _variant_t* value, std::string* error)
{
    if ((type & CIM_FLAG_ARRAY) != 0 || type == CIM_OBJECT)
    {
        *error = "arrays and embedded objects cannot be given on the command line";
        return false;
    }
    // Only a text can be empty; the provider keeps the stored value of a property given none.
    if (text.empty() && type != CIM_STRING)
    {
        *error = "no value given: only a text property is cleared by NAME=; a number, boolean or date-time "
                 "keeps its stored value when given none";
        return false;
    }
    switch (type)
    {
    case CIM_BOOLEAN: {
        const std::wstring word = WbemName::Upper(ProvixaText::FromUtf8(text));
        if (word != L"TRUE" && word != L"FALSE" && word != L"1" && word != L"0")
        {
            *error = Shown(text) + " is not a boolean: write TRUE or FALSE";
            return false;
        }
        *value = _variant_t(word == L"TRUE" || word == L"1");
        return true;
    }
    case CIM_SINT8:
    case CIM_UINT8:
    case CIM_SINT16:
    case CIM_UINT16:
    case CIM_SINT32:
    case CIM_UINT32:
    case CIM_CHAR16: {
        std::int64_t lowest = 0;
        std::int64_t highest = 0;
        CimValue::IntegerRange(type, &lowest, &highest);
        std::int64_t number = 0;
        const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (status != std::errc() || end != text.data() + text.size() || number < lowest || number > highest)
        {
            *error = Shown(text) + " is not " + NumberForm(type);
            return false;
        }
        *value = _variant_t(static_cast<LONG>(static_cast<std::uint32_t>(number)));
        return true;
    }
    case CIM_REAL32:
    case CIM_REAL64: {
        char* end = nullptr;
        errno = 0;
        const double number = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size() || errno != 0 || !std::isfinite(number))
        {
            *error = Shown(text) + " is not a real number";
            return false;
        }
        *value = _variant_t(number);
        return true;
    }
    default: {
        // Strings, 64-bit numbers, date-times and references travel as text; the object
        // checks them against the type. The text goes whole, a NUL inside it included, so that
        // the provider sees and refuses what was typed rather than a shortened value.
        VARIANT whole;
        VariantInit(&whole);
        whole.vt = VT_BSTR;
        whole.bstrVal = CString(ProvixaText::FromUtf8(text)).AllocSysString();
        value->Attach(whole);
        return true;
    }
    }
}

// Puts each NAME=VALUE on the object, typed by the property's CIM type. `owner` names what
// the names belong to in *error ("Bnt_Badge", "the method SetClock"), `kind` what they are.
bool PutAssignments(IWbemClassObject* object, const ProvixaCommandLine& commandLine, const std::string& owner,
                    const char* kind, std::string* error, IWbemServices* services)
{
    for (const auto& [name, text] : commandLine.assignments)
    {
        const std::wstring property = ProvixaText::FromUtf8(name);
        CIMTYPE type = CIM_EMPTY;
        if (FAILED(object->Get(property.c_str(), 0, nullptr, &type, nullptr)) || WbemName::IsSystemName(property))
        {
            *error = owner + " has no " + kind + " " + Shown(name);
            return false;
        }
        const std::string named = owner + " " + kind + " " + name + ": ";
        _variant_t value;
        std::string valueError;
        if (!ProvixaMethodArgument::ValueFor(services, type, text, &value, &valueError, ValueFor))
        {
            *error = named + valueError;
            return false;
        }
        const HRESULT hr = object->Put(property.c_str(), 0, &value, 0);
        if (FAILED(hr))
        {
            const std::string number = NumberForm(type);
            *error = named + ProvixaOutput::Error(hr, nullptr) +
                     ((type & ~CIM_FLAG_ARRAY) == CIM_DATETIME
                          ? ": a date-time is written " + ProvixaText::ToUtf8(CWmipMessages::kDmtfDateForm)
                      : number.empty() ? std::string()
                                       : ": " + Shown(text) + " is not " + number);
            return false;
        }
    }
    return true;
}

int ListClasses(IWbemServices* services, bool json, std::ostream& out, std::ostream& err)
{
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT hr = services->CreateClassEnum(nullptr, WBEM_FLAG_DEEP, nullptr, &enumerator);
    if (FAILED(hr))
        return RequestFailed(err, hr);
    std::string text = json ? "[" : "";
    bool first = true;
    for (const ComPtr<IWbemClassObject>& one : Drain(enumerator.Get()))
    {
        _variant_t name;
        _variant_t superclass;
        one->Get(L"__CLASS", 0, &name, nullptr, nullptr);
        one->Get(L"__SUPERCLASS", 0, &superclass, nullptr, nullptr);
        const std::wstring className = name.vt == VT_BSTR && name.bstrVal != nullptr ? name.bstrVal : L"";
        const std::wstring parent =
            superclass.vt == VT_BSTR && superclass.bstrVal != nullptr ? superclass.bstrVal : L"";
        if (json)
            text += std::string(first ? "" : ",") + "{\"class\":" + ProvixaOutput::JsonString(className) +
                    ",\"superclass\":" + ProvixaOutput::JsonString(parent) + "}";
        else
            text += ProvixaText::ToUtf8(className) + (parent.empty() ? "" : " : " + ProvixaText::ToUtf8(parent)) + "\n";
        first = false;
    }
    out << text << (json ? "]\n" : "");
    return ProvixaHost::kSuccess;
}

int ShowObject(IWbemClassObject* object, bool json, std::ostream& out)
{
    if (json)
    {
        ProvixaOutput::WriteJson(object, out);
        out << "\n";
    }
    else
    {
        ProvixaOutput::WriteText(object, out);
    }
    return ProvixaHost::kSuccess;
}

bool IsEventClass(IWbemServices* services, const std::wstring& className);
int EventClassRefused(std::ostream& err, const std::wstring& className, const char* verb);

// The path as the service writes the path of an instance with these keys (a number unquoted), as
// get and delete show it, whatever form the provider gave it in; as given when it cannot be read.
std::wstring ServicePath(IWbemServices* services, const std::wstring& path)
{
    WbemPathParser::Result parsed;
    ComPtr<IWbemClassObject> classObject;
    ComPtr<IWbemClassObject> keys;
    if (FAILED(WbemPathParser::Parse(path, &parsed)) || !parsed.instance || parsed.singleton ||
        FAILED(services->GetObject(Text(parsed.className.c_str()).Get(), 0, nullptr, &classObject, nullptr)) ||
        FAILED(classObject->SpawnInstance(0, &keys)))
        return path;
    for (const WbemPathParser::Key& key : parsed.keys)
    {
        CIMTYPE type = CIM_EMPTY;
        _variant_t value;
        std::string error;
        if (FAILED(classObject->Get(key.name.c_str(), 0, nullptr, &type, nullptr)) ||
            !ValueFor(type, ProvixaText::ToUtf8(key.value), &value, &error) ||
            FAILED(keys->Put(key.name.c_str(), 0, &value, 0)))
            return path;
    }
    _variant_t relative;
    return SUCCEEDED(keys->Get(L"__RELPATH", 0, &relative, nullptr, nullptr)) && relative.vt == VT_BSTR
               ? std::wstring(relative.bstrVal)
               : path;
}

int Put(IWbemServices* services, const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err,
        std::string* effect)
{
    const std::string& className = commandLine.operands[0];
    // The provider answers a write of an event class with a bare WBEM_E_NOT_SUPPORTED.
    if (IsEventClass(services, ProvixaText::FromUtf8(className)))
        return EventClassRefused(err, ProvixaText::FromUtf8(className), "written");
    ComPtr<IWbemClassObject> classObject;
    HRESULT hr = services->GetObject(Text(className).Get(), 0, nullptr, &classObject, nullptr);
    if (FAILED(hr))
        return RequestFailed(err, hr,
                             [&](HRESULT failed) { return ProvixaExplanation::OfPath(services, className, failed); });
    ComPtr<IWbemClassObject> instance;
    hr = classObject->SpawnInstance(0, &instance);
    if (FAILED(hr))
        return RequestFailed(err, hr);
    std::string error;
    if (!PutAssignments(instance.Get(), commandLine, className, "property", &error, services))
        return Refused(err, error);
    // When the values name every key of a stored instance, it is read, the values applied to it
    // and the whole of it written back, as a scripting client's set does: the provider takes no
    // put of part of an instance, so a property another writer changed between the read and the
    // write is given the value read. A class that cannot be read that way gets the new
    // instance as given. The stored instance is written as an update, as the bus's modify
    // writes it: a class that checks a new record's unique values against every stored one
    // would otherwise find the record itself.
    _variant_t relativePath;
    ComPtr<IWbemClassObject> stored;
    LONG writeFlags = WBEM_FLAG_CREATE_OR_UPDATE;
    if (SUCCEEDED(instance->Get(L"__RELPATH", 0, &relativePath, nullptr, nullptr)) && relativePath.vt == VT_BSTR &&
        SUCCEEDED(services->GetObject(relativePath.bstrVal, 0, nullptr, &stored, nullptr)))
    {
        if (!PutAssignments(stored.Get(), commandLine, className, "property", &error, services))
            return Refused(err, error);
        instance = stored;
        writeFlags = WBEM_FLAG_UPDATE_ONLY;
    }
    WbemErrorInfo::Take();
    ComPtr<IWbemCallResult> callResult;
    hr = services->PutInstance(instance.Get(), writeFlags, nullptr, &callResult);
    if (FAILED(hr))
        return RequestFailed(err, hr, [&](HRESULT failed) {
            if (failed == WBEM_E_INVALID_PARAMETER)
                return ProvixaExplanation::OfValues(classObject.Get(), commandLine.assignments);
            return relativePath.vt == VT_BSTR
                       ? ProvixaExplanation::OfPath(services, ProvixaText::ToUtf8(relativePath.bstrVal), failed)
                       : std::string();
        });
    BstrOwner path;
    const std::wstring written = SUCCEEDED(callResult->GetResultString(0, path.Receive())) && path
                                     ? ServicePath(services, std::wstring(path.Get()))
                                     : L"";
    *effect = ProvixaHost::EffectText(ProvixaHost::Effect::Written,
                                      written.empty() ? className : ProvixaText::ToUtf8(written));
    if (commandLine.json)
        out << "{\"path\":" << ProvixaOutput::JsonString(written) << "}\n";
    else
        out << "Written " << ProvixaText::ToUtf8(written) << "\n";
    return ProvixaHost::kSuccess;
}

int Exec(IWbemServices* services, const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err,
         std::string* effect)
{
    const std::wstring path = ProvixaText::FromUtf8(commandLine.operands[0]);
    const std::wstring method = ProvixaText::FromUtf8(commandLine.operands[1]);
    WbemPathParser::Result parsed;
    HRESULT hr = WbemPathParser::Parse(path, &parsed);
    if (FAILED(hr))
        return RequestFailed(err, hr);
    ComPtr<IWbemClassObject> classObject;
    const auto explain = [&](HRESULT) {
        return ProvixaExplanation::OfMethod(services, commandLine.operands[0], commandLine.operands[1]);
    };
    hr = services->GetObject(Text(parsed.className.c_str()).Get(), 0, nullptr, &classObject, nullptr);
    if (FAILED(hr))
        return RequestFailed(err, hr, explain);
    ComPtr<IWbemClassObject> inSignature;
    hr = classObject->GetMethod(method.c_str(), 0, &inSignature, nullptr);
    if (FAILED(hr))
        return RequestFailed(err, hr == WBEM_E_NOT_FOUND ? WBEM_E_INVALID_METHOD : hr, explain);
    ComPtr<IWbemClassObject> inParams;
    if (inSignature)
    {
        hr = inSignature->SpawnInstance(0, &inParams);
        if (FAILED(hr))
            return RequestFailed(err, hr);
    }
    const std::string owner = "the method " + commandLine.operands[1];
    std::string error;
    // The provider refuses a method named in another case than its class declares before it
    // reads a parameter: the values are not read here either, so the answer names the spelling.
    const bool declaredSpelling = explain(S_OK).empty();
    if (declaredSpelling && !commandLine.assignments.empty() && !inParams)
        return Refused(err, owner + " takes no parameters");
    if (declaredSpelling && inParams &&
        !PutAssignments(inParams.Get(), commandLine, owner, "parameter", &error, services))
        return Refused(err, error);
    ComPtr<IWbemClassObject> outParams;
    hr = services->ExecMethod(Text(path.c_str()).Get(), Text(method.c_str()).Get(), 0, nullptr, inParams.Get(),
                              &outParams, nullptr);
    if (FAILED(hr))
        return RequestFailed(err, hr, [&](HRESULT failed) {
            if (failed == WBEM_E_METHOD_NOT_IMPLEMENTED)
                return explain(failed);
            if (failed == WBEM_E_INVALID_PARAMETER)
                return ProvixaExplanation::OfValues(inParams.Get(), commandLine.assignments);
            const std::string target =
                failed == WBEM_E_INVALID_OBJECT_PATH
                    ? ProvixaExplanation::OfMethodTarget(services, commandLine.operands[0], commandLine.operands[1])
                    : std::string();
            return !target.empty() ? target : ProvixaExplanation::OfPath(services, commandLine.operands[0], failed);
        });
    *effect = ProvixaHost::EffectText(ProvixaHost::Effect::MethodRan, commandLine.operands[0], commandLine.operands[1]);
    if (!outParams)
    {
        out << (commandLine.json ? "null\n" : "Done\n");
        return ProvixaHost::kSuccess;
    }
    return ShowObject(outParams.Get(), commandLine.json, out);
}

// The class a query selects from; empty when the text names none the service can read.
std::wstring QueriedClass(const std::string& query)
{
    WbemQueryParser::Selection selection;
    return SUCCEEDED(WbemQueryParser::Parse(ProvixaText::FromUtf8(query), &selection)) && !selection.association
               ? selection.className
               : std::wstring();
}

// True when the class is an event class (__Event or below it): its instances are delivered to
// watches as they happen, and no enumeration or query ever finds one.
bool IsEventClass(IWbemServices* services, const std::wstring& className)
{
    ComPtr<IWbemClassObject> definition;
    return !className.empty() &&
           SUCCEEDED(services->GetObject(Text(className.c_str()).Get(), 0, nullptr, &definition, nullptr)) &&
           (WbemName::Equal(className, L"__Event") || definition->InheritsFrom(L"__Event") == WBEM_S_NO_ERROR);
}

// The refusal of a request that treats an event class as a class of stored instances: what
// `verb` says is done to its events is not.
int EventClassRefused(std::ostream& err, const std::wstring& className, const char* verb)
{
    const std::string name = ProvixaText::ToUtf8(className);
    return Refused(err, name + " is an event class: its events are watched, not " + verb +
                            "; run watch \"SELECT * FROM " + name + "\" in a batch (provixa batch FILE|-)");
}

// An enumeration or query, each instance printed as it arrives: a result of any size costs
// the memory of one batch, and its first line leaves before its last row is read.
int EnumerateOrQuery(IWbemServices* services, const ProvixaCommandLine& commandLine, std::ostream& out,
                     std::ostream& err)
{
    const bool enumeration = commandLine.command == ProvixaCommandLine::Command::Enum;
    const std::string& operand = commandLine.operands[0];
    const std::wstring className = enumeration ? ProvixaText::FromUtf8(operand) : QueriedClass(operand);
    // The service answers an event class with no instances, which reads as an empty class.
    if (IsEventClass(services, className))
        return EventClassRefused(err, className, enumeration ? "enumerated" : "queried");
    ProvixaObjectList list(out, commandLine.json);
    const ComPtr<WbemCollectingSink> sink = WbemCollectingSink::Create([&](IWbemClassObject* object) {
        list.Add(object);
        // A result that cannot be written stops the request rather than read every row for
        // nothing.
        return ProvixaLineWriter::Broken(out) ? WBEM_E_FAILED : WBEM_S_NO_ERROR;
    });
    HRESULT hr = enumeration
                     ? services->CreateInstanceEnumAsync(Text(operand).Get(), 0, nullptr, sink.Get())
                     : services->ExecQueryAsync(Text(L"WQL").Get(), Text(operand).Get(), 0, nullptr, sink.Get());
    // A provider that never reports is cut off: the sink takes nothing more, so nothing reaches
    // the list after it is gone.
    if (SUCCEEDED(hr) && !sink->Wait(WbemServiceNamespace::kDefaultProviderTimeout))
        sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_E_PROVIDER_TIMED_OUT, nullptr, nullptr);
    if (SUCCEEDED(hr))
        hr = sink->Result();
    // The host reports the status object as the synchronous call leaves it.
    WbemErrorInfo::Set(hr != WBEM_S_NO_ERROR ? sink->StatusObject().Get() : nullptr);
    if (ProvixaLineWriter::Broken(out))
        return ProvixaHost::kRequestFailed;
    if (FAILED(hr))
        return RequestFailed(err, hr, [&](HRESULT failed) {
            return enumeration ? ProvixaExplanation::OfClass(services, operand, failed)
                               : ProvixaExplanation::OfQuery(services, operand);
        });
    list.End();
    // A refusal that WMI reports as success (WBEM_S_ACCESS_DENIED) is no empty class: the
    // reason is printed and the exit status tells a script so.
    if (hr == WBEM_S_ACCESS_DENIED)
        return RequestFailed(err, hr);
    if (hr != WBEM_S_NO_ERROR)
        err << ProvixaOutput::Error(hr, nullptr) << "\n";
    return ProvixaHost::kSuccess;
}

// Runs a request command; *effect says what it did that stands (ProvixaHost::EffectText).
int Request(IWbemServices* services, const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err,
            std::string* effect)
{
    const bool json = commandLine.json;
    const auto explainPath = [&](HRESULT failed) {
        return ProvixaExplanation::OfPath(services, commandLine.operands[0], failed);
    };
    switch (commandLine.command)
    {
    case ProvixaCommandLine::Command::Classes:
        return ListClasses(services, json, out, err);
    case ProvixaCommandLine::Command::Get: {
        ComPtr<IWbemClassObject> object;
        const HRESULT hr = services->GetObject(Text(commandLine.operands[0]).Get(), 0, nullptr, &object, nullptr);
        return FAILED(hr) ? RequestFailed(err, hr, explainPath) : ShowObject(object.Get(), json, out);
    }
    case ProvixaCommandLine::Command::Enum:
    case ProvixaCommandLine::Command::Query:
        return EnumerateOrQuery(services, commandLine, out, err);
    case ProvixaCommandLine::Command::Put:
        return Put(services, commandLine, out, err, effect);
    case ProvixaCommandLine::Command::Delete: {
        const HRESULT hr = services->DeleteInstance(Text(commandLine.operands[0]).Get(), 0, nullptr, nullptr);
        if (FAILED(hr))
            return RequestFailed(err, hr, explainPath);
        const std::string& path = commandLine.operands[0];
        *effect = ProvixaHost::EffectText(ProvixaHost::Effect::Deleted, path);
        out << (json ? "{\"deleted\":" + ProvixaOutput::JsonString(ProvixaText::FromUtf8(path)) + "}\n"
                     : "Deleted " + path + "\n");
        return ProvixaHost::kSuccess;
    }
    case ProvixaCommandLine::Command::Exec:
        return Exec(services, commandLine, out, err, effect);
    default:
        return UsageFailed(err, "not a request command");
    }
}
}  // namespace

std::string ProvixaHost::FailureKey(ProvixaCommandLine::FailureForm form, HRESULT status)
{
    // A command line the host cannot act on, as the front end answers a request it cannot read.
    if (form == ProvixaCommandLine::FailureForm::BusJson)
        return status == WBEM_E_INVALID_PARAMETER ? CCorvessaException::kInvalidParameterKey
                                                  : CCorvessaException(status).ErrorCode();
    const char* name = WbemStatusName::Of(status);
    return name != nullptr ? name : ProvixaOutput::Code(status);
}

int ProvixaHost::Run(const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    // A program reading the bus, or JSON from the WMI door, reads each failure as one JSON line.
    const ProvixaCommandLine::FailureForm form = commandLine.command == ProvixaCommandLine::Command::Bus
                                                     ? ProvixaCommandLine::FailureForm::BusJson
                                                 : commandLine.json ? ProvixaCommandLine::FailureForm::WmiJson
                                                                    : ProvixaCommandLine::FailureForm::Text;
    ProvixaFailureLines failureLines(err, form, [form](HRESULT status) { return FailureKey(form, status); });
    std::ostream failureStream(&failureLines);
    // Every line reaches its stream whole, whichever thread writes it; the result goes out in
    // chunks as it is made, the error lines each at once.
    ProvixaLineWriter outLines(out, false);
    ProvixaLineWriter errLines(failureStream, true);
    std::ostream lineOut(&outLines);
    std::ostream lineErr(&errLines);
    int status = RunCommand(commandLine, lineOut, lineErr, commandLine.json ? errLines : outLines, errLines);
    // A result that did not reach its reader is no success, whatever the command did; a command
    // that met the failure has said so already, with what it did.
    if (!outLines.Finish())
    {
        ReportUnwritten(lineOut, lineErr, std::string());
        status = kRequestFailed;
    }
    errLines.Finish();
    failureLines.Finish();
    return status;
}

int ProvixaHost::RunCommand(const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err,
                            ProvixaLineWriter& notes, ProvixaLineWriter& errorLines)
{
    if (commandLine.command == ProvixaCommandLine::Command::Help)
    {
        out << ProvixaCommandLine::Usage();
        return kSuccess;
    }
    if (commandLine.command == ProvixaCommandLine::Command::Bus)
        return ProvixaBusHost::Run(commandLine.operands, commandLine.simulate, std::cin, out, err, errorLines);
    // Events reach a watch only from this process (hwevent, swevent, a simulated server), so a
    // watch of its own would end before any could come.
    if (commandLine.command == ProvixaCommandLine::Command::Watch ||
        commandLine.command == ProvixaCommandLine::Command::Wait)
        return UsageFailed(err,
                           std::string(commandLine.command == ProvixaCommandLine::Command::Watch ? "watch" : "wait") +
                               " runs only inside a batch (provixa batch FILE|-), where hwevent, swevent and "
                               "wait follow it in the same process");
    if (commandLine.command == ProvixaCommandLine::Command::Init)
    {
        std::string report;
        if (!ProvixaInstallation::Create(&report))
        {
            // A failure of init says who speaks, as every other failure of the host does.
            while (!report.empty() && report.back() == '\n')
                report.pop_back();
            return Refused(err, report);
        }
        out << report << (report.empty() || report.back() == '\n' ? "" : "\n");
        return kSuccess;
    }
    std::filesystem::path database;
    std::string error;
    // A missing installation or an account that is not linked is no fault of the command line.
    if (!ProvixaInstallation::Existing(&database, &error))
        return Refused(err, error);
    ProvixaLinkedAccounts accounts;
    std::wstring callerSid;
    if (!ResolveCaller(commandLine, accounts, &callerSid, &error))
        return Refused(err, error);

    std::unique_ptr<ProvixaSimulation> simulation;
    if (commandLine.simulate)
        simulation = std::make_unique<ProvixaSimulation>(notes);
    const ApplicationScope application;
    auto repository = std::make_shared<WbemRepository>(ComputerName(), kNamespace);
    std::wstring failedClass;
    HRESULT hr = ProvixaSchemaLoader::Load(*repository, &failedClass);
    if (FAILED(hr))
    {
        err << ProvixaOutput::Error(hr, nullptr) << " while loading the class " << ProvixaText::ToUtf8(failedClass)
            << "\n";
        return kRequestFailed;
    }
    const ComPtr<WbemServiceNamespace> services = WbemServiceNamespace::Create(repository);
    services->Events().SetFilterFactory(std::make_shared<WqlEventFilterFactory>());
    const ProviderScope providers(*services);
    const ComPtr<ProvixaProviderShell> shell = ProvixaProviderShell::Create();
    hr = services->RegisterProvider(ProvixaSchemaLoader::kProviderName, static_cast<IWbemServices*>(shell.Get()),
                                    L"NT AUTHORITY\\SYSTEM", L"MS_409", nullptr);
    if (FAILED(hr))
    {
        err << ProvixaOutput::Error(hr, nullptr) << " while loading the provider\n";
        return kRequestFailed;
    }
    ProvixaEvents events(*services, out, err);
    // The simulated communication server passes injected events on to the event provider.
    struct RelayScope
    {
        ProvixaSimulation* simulation;
        ~RelayScope()
        {
            if (simulation != nullptr)
                simulation->RelayEventsTo(nullptr);
        }
    } relay{simulation.get()};
    if (simulation != nullptr)
        simulation->RelayEventsTo(
            [&events](std::span<const BYTE> record, const std::wstring& text) { events.Relay(record, text); });
    ProvixaSoftwareEvents softwareEvents(*services, out, err, events.Pending());
    const std::string readOnlyReason = ProvixaInstallation::ReadOnlyReason(database);
    const bool readOnly = !readOnlyReason.empty();
    const auto runCommand = [&](const ProvixaCommandLine& one, std::string* effect) {
        // A cause left by an earlier command of the batch belongs to none of this one's failures.
        CBntDatabase::TakeLastFailureCause();
        std::wstring sid;
        std::string callerError;
        if (!ResolveCaller(one, accounts, &sid, &callerError))
            return Refused(err, callerError);
        if (readOnly &&
            (one.command == ProvixaCommandLine::Command::Put || one.command == ProvixaCommandLine::Command::Delete))
            return Refused(err, readOnlyReason + ": it cannot be written");
        const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
        if (ProvixaSoftwareEvents::Handles(one.command))
            return softwareEvents.Run(one);
        // A watch may select instance operation events, so their provider is loaded first.
        if (ProvixaEvents::Handles(one.command))
            return FAILED(softwareEvents.EnsureProvider()) ? kRequestFailed : events.Run(one);
        return Request(services.Get(), one, out, err, effect);
    };
    const auto runOne = [&](const ProvixaCommandLine& one) {
        std::string effect;
        int status = runCommand(one, &effect);
        if (ReportUnwritten(out, err, effect))
            status = kRequestFailed;
        WarnOfUnreachedServers(err);
        return status;
    };
    if (commandLine.command == ProvixaCommandLine::Command::Batch)
        return ProvixaBatch::Run(commandLine, std::cin, runOne, out, err);
    return runOne(commandLine);
}
