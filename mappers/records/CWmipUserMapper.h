// CWmipUserMapper: the mapper of Bnt_User (USERS), the operators who log in. A caller may write a
// user only when its own rights cover each of the user's permission groups, it has access to the
// user's primary segment, and the user is not the caller itself (CWmipUserRules); logon ids are
// unique without regard to case. A password given on create is stored as the salted hash the
// login checks, never as given, and is never served. Deleting a user removes its accounts.
// Under the bus front end users are read-only.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserMapper : public CWmipMapperSkeleton<CWmipUserMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_User";
    // Length limits of a password as given (characters).
    static constexpr int kMinPasswordLength = 8;
    static constexpr int kMaxPasswordLength = 50;

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    // Withholds USERS.LOGONPWD: the stored password hash is never served.
    // Its permission ids depend on the door, which it keeps first.
    CWmipUserMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door);

    // Only ID, Created, LastChanged and AutomaticallyCreated stay fixed on a modify: the class-wide
    // "noedit" marks the others for clients, while an operator's names, groups, zone, notes and
    // enabled flag are what a user modify changes.
    bool KeepsNoEditValue(const CString& property) override;
    // AutomaticallyCreated false, DatabaseID the caller's database, ReportPermissionGroupID 0.
    HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // A Password of kMinPasswordLength to kMaxPasswordLength characters becomes its salted hash;
    // another length is refused (WBEM_E_INVALID_PARAMETER).
    HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;
    // The base check (0x1000000F); a user cannot be created as automatically created.
    void CanAdd(IWbemClassObject* instance) override;
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    void SetupReplTransaction(CBntCardholderTrans& transaction,
                              brontel::UserTranOperation::UserTransactionOperation operation,
                              IWbemClassObject* instance) override;
    // The caller-versus-target checks, the logon id, database and monitoring zone checks; any
    // failure refuses the write.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
    // Delete: removes the user's accounts. Modify: stamps LASTCHANGED.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

    // Refills the "Values" and "ValueMap" qualifiers of the five permission-group properties of
    // the Bnt_User class object with the groups of each property's type that user may read.
    // Throws CWMIException 0x8004101D without a class object, 0x80041001 without a user, and
    // CDBException.
    static void RefreshAvailablePermissionGroups(IWbemClassObject* classObject, const CAcsUser* user);
    // A caller restricted to some segments gets its own lists in place of the shared ones (built
    // as the system administrator): never a group it may not see. A failed read leaves it none.
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override;
    // Never: the WMI door takes the class's definition from the repository, so no shaping of it
    // is kept, and the permission group tables raise no list stamp.
    DefinitionReuse GetShapedClassReuse() override;

private:
    void CheckUser(brontel::UserTranOperation::UserTransactionOperation operation, IWbemClassObject* instance);
    // Whether no user holds the logon id (compared without regard to case).
    bool IsLogonIDUnused(const CString& logonId);
};
