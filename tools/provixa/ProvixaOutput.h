// ProvixaOutput: how the provixa host shows WMI objects and failures to a person: the MOF text
// of an object (IWbemClassObject::GetObjectText) or JSON, and the error line with the HRESULT
// in hex, its WBEM_E_* name and the description of the extended status object.
//
// Stateless; safe on any thread for objects no other thread changes. Texts are UTF-8.
#pragma once

#include "platform/wmi/IWbemClassObject.h"

#include <ostream>
#include <string>
#include <string_view>

class ProvixaOutput
{
public:
    ProvixaOutput() = delete;

    // The object's MOF text; for an object that offers none, a line naming its class.
    static std::string Text(IWbemClassObject* object);
    // Text written to out as it is made (an instance's; a class's is written whole): a byte
    // array's numbers straight from its bytes, so a value of megabytes costs about its own size.
    static void WriteText(IWbemClassObject* object, std::ostream& out);
    // An instance as {"class": ..., "path": ..., "properties": {name: value, ...}}; a class as
    // {"class": ..., "superclass": ..., "properties": {name: "cim type", ...}, "methods": [...]}.
    // Values: strings (64-bit numbers and date-times as WMI carries them, as text), numbers,
    // true/false, null, arrays, and embedded objects in the same form.
    static std::string Json(IWbemClassObject* object);
    // Json written to out as it is made: a byte array's numbers straight from its bytes, so a
    // value of megabytes costs about its own size, not that of its text.
    static void WriteJson(IWbemClassObject* object, std::ostream& out);

    // "Error 0x80041002 (WBEM_E_NOT_FOUND): reason" -- the name and the reason only when
    // known; statusObject is the call's __ExtendedStatus (may be null).
    static std::string Error(HRESULT status, IWbemClassObject* statusObject);
    // The "Description" of a status object without the source locations that lead it
    // ("wpClassMapper.cpp(636): "): those are for the log, the reason is for the person.
    // Empty when it has none.
    static std::string Reason(IWbemClassObject* statusObject);
    // The text without the source locations that lead it.
    static std::string WithoutLocations(std::string text);
    // The HRESULT as both doors print it: "0x8004100C".
    static std::string Code(HRESULT status);
    // A failure as a program reads it on either door, without a line break:
    // {"error": KEY, "hresult": "0x8004100C", "message": TEXT}, with "log": FILE as well when a
    // log file is given (the one the message sends the reader to).
    static std::string FailureJson(const std::string& key, const std::string& message, HRESULT status,
                                   const std::string& log);
    // A warning as a program reads it with --json, without a line break: {"warning": TEXT}, with
    // "log": FILE as well when a log file is given.
    static std::string WarningJson(const std::string& message, const std::string& log);

    // The host's own words that send the reader to the provider log, used only where the
    // request wrote its reason there: a dropped software event's, an undelivered configuration
    // message's.
    static constexpr std::string_view kLogNamesCause = "the provider log names the cause";
    static constexpr std::string_view kLogKeepsMessage = "the provider log keeps the message";
    // The provider log's file (CWMIDebugLog::GetLogFileName) when the text sends the reader to
    // it without naming it: the provider's "the provider log holds the details" (which it says
    // only when the request wrote its reason there), the host's own words above, the front
    // end's "check server logs" (which it says whatever was written: the bus door asks
    // whether the request wrote to the log as well); empty otherwise.
    static std::string LogFileSentTo(std::string_view text);
    // Where progress notes ("Watching", "Handed in", the simulated servers' calls) go: the
    // output, or the error stream when the output is JSON, which they are not.
    static std::ostream& Notes(bool json, std::ostream& out, std::ostream& err);
    // A JSON string literal of the text, with quotes.
    static std::string JsonString(const std::wstring& text);
};
