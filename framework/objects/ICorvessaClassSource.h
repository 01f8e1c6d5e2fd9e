// ICorvessaClassSource: where the in-process WMI objects find the registered classes: a copy
// of a class's definition for the services object, and whether a property is one of a class's
// keys for a keys-only walk of a class object. The objects sit below the class-mapping
// framework, so the framework installs its registry here when the registry is built; until
// then (and in a process without it) every class is unknown.
//
// One installed source per process, not owned; the installer removes it before the source
// goes. Install runs once while the library loads; Installed is read on any thread.
#pragma once

#include "platform/mfc/CString.h"

#include <memory>
#include <optional>

class CCorvessaClassObject;

class ICorvessaClassSource
{
public:
    // The installed source; null when none is.
    static ICorvessaClassSource* Installed();
    // Makes source the installed one; null removes it.
    static void Install(ICorvessaClassSource* source);

    // A new copy of the class's definition (one reference, owned by the caller); null when the
    // source knows no class of that name.
    virtual std::unique_ptr<CCorvessaClassObject> NewClassDefinition(const CString& className) = 0;
    // Whether the property is a key of the class; empty when the source knows no such class.
    virtual std::optional<bool> IsKeyProperty(const CString& className, const CString& property) = 0;

protected:
    ICorvessaClassSource() = default;
    ~ICorvessaClassSource() = default;
    ICorvessaClassSource(const ICorvessaClassSource&) = default;
    ICorvessaClassSource& operator=(const ICorvessaClassSource&) = default;
};
