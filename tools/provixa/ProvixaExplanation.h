// ProvixaExplanation: says what is wrong with a class, path, method or query that a request
// named, for a failure whose code alone does not tell a person (a path naming the wrong keys,
// a class or method that does not exist, an instance that is not there). It asks the namespace
// for the class definitions, as a client would.
//
// Stateless; used on the host's thread with the namespace of the request.
#pragma once

#include "framework/Door.h"
#include "platform/wmi/IWbemServices.h"

#include <string>
#include <utility>
#include <vector>

class ProvixaExplanation
{
public:
    ProvixaExplanation() = delete;

    // Why `path` names no object: "there is no class X", "the key of X is A" (when the path
    // names other keys than the class's), or, when the request failed with WBEM_E_NOT_FOUND,
    // "there is no instance PATH"; for WBEM_E_INVALID_CLASS on a class the namespace knows
    // (one only the bus front end serves), how to read it through the bus. Empty otherwise,
    // and when the path cannot be read.
    static std::string OfPath(IWbemServices* services, const std::string& path, HRESULT status);
    // Why `name` (what enum was given) names no class that can be enumerated: a condition that
    // belongs in a query, "there is no class X", or the bus road as for OfPath.
    static std::string OfClass(IWbemServices* services, const std::string& name, HRESULT status);
    // What is wrong with the first of the NAME=VALUE texts written to instances of `definition`
    // that lacks the form every written text must have (CWmipValueForm: too long for the
    // property's maxlen, a NUL inside, a date-time that names no real date); empty when none.
    // `door` chooses the date-time form said (DMTF on the WMI door, ISO 8601 on the bus).
    static std::string OfValues(IWbemClassObject* definition,
                                const std::vector<std::pair<std::string, std::string>>& assignments,
                                Door door = Door::kWmi);
    // "there is no class X" or "X has no method M"; empty when both exist.
    static std::string OfMethod(IWbemServices* services, const std::string& path, const std::string& method);
    // "there is no class X" for the class a SELECT names (the word after FROM, for a query the
    // parser stops in), what a query takes for a text that is no SELECT; empty otherwise.
    static std::string OfQuery(IWbemServices* services, const std::string& query);
    // For a method run on a class path that names no instance: "SetClock runs on an instance:
    // name one by its key, as Bnt_Panel.ID=1" (each key with a value of its type); empty when
    // the path names an instance or its class has no keys.
    static std::string OfMethodTarget(IWbemServices* services, const std::string& path, const std::string& method);
    // The same sentence for the class `definition` (named `className`), on either door: empty
    // when the class has no keys.
    static std::string RunsOnAnInstance(IWbemClassObject* definition, const std::string& className,
                                        const std::string& method);
};
