// IWmipClassBuilder: what the class cache (CWmipClassCache) asks of the mapper whose class
// definition it hands out: the class and the services it builds through, the build and the
// caller's shaping, and how long each may be kept. The cache names this interface, never
// CWmipMapper, so it stands below the mapper that asks it for definitions.
//
// Implemented by CWmipMapper, where each operation is documented; one mapper serves one request
// on one thread.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class IWbemClassObject;
class IWbemServices;

class IWmipClassBuilder
{
public:
    // How long the class cache may keep a definition this mapper built (CreateClass) or a copy
    // it shaped (ProcessClassPermissions), by what the build or the shaping reads besides the
    // registered declarations. A mapper that builds or shapes the definition itself says so next
    // to its CreateClass and ProcessClassPermissions (CWmipMapperSkeleton refuses to build one
    // that does not); the class cache names no class.
    enum class DefinitionReuse
    {
        // Made anew for every request: what it reads is not said, or it costs less than keeping it.
        Never,
        // While the caller's rights stand as they were read (CAcsUser::GetRightsStamp) and the
        // list stamp as it was read for the request (CDefinitionStamps): it reads nothing
        // but the caller's rights and the tables and options the list stamp covers
        // (db/schema.sql). A database without the list stamp keeps nothing.
        WhileRightsAndListsSame,
        // As WhileRightsAndListsSame, for a definition read from list tables whose triggers set
        // the list stamp (CDefinitionStamps::SetsListStamp): while the database's schema cookie
        // also stands as it was (CDefinitionStamps::ReadSchema), since a trigger dropped would
        // leave the list's changes unstamped.
        WhileRightsListsAndTriggersSame,
        // For the class cache's span: it reads nothing from the installation's database (the
        // declarations, WMI's repository).
        ForTheSpan,
    };
    virtual DefinitionReuse GetBuiltClassReuse() = 0;
    virtual DefinitionReuse GetShapedClassReuse() = 0;
    virtual const CAcsUser* GetDatabaseUser() const = 0;
    virtual HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) = 0;
    virtual HRESULT ProcessClassPermissions(IWbemClassObject* classObject) = 0;
    virtual const CString& GetClassName() const = 0;
    virtual IWbemServices* GetServices() const = 0;

protected:
    IWmipClassBuilder() = default;
    ~IWmipClassBuilder() = default;
    IWmipClassBuilder(const IWmipClassBuilder&) = default;
    IWmipClassBuilder& operator=(const IWmipClassBuilder&) = default;
};
