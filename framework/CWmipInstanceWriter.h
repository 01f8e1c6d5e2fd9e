// CWmipInstanceWriter: the write algorithm of CWmipClassMapper's PutInstance and
// DeleteInstance. It reads the class definition for the properties, their qualifiers ("key",
// "read", "noedit", "not_null", "EncryptedTextField") and their columns, decides between
// create and update, asks the mapper's virtual operations in their fixed order (permission
// checks, the records the instance names, generated-property check, defaults and value checks per property,
// AddAdditionalFields, final permission check, BeforeWriteInstance), writes every table of
// the instance (main table first), the audit entry, and ends with AfterWriteInstance. Everything
// from the permission step and the read of the stored instance to AfterWriteInstance runs in the
// write frame (CWmipWriteFrame): one transaction on the mapper's own connection, begun with the
// write lock, so the mapper's extra writes and the checks that guard the write (the records it
// names, counts, uniqueness, limits) commit or roll back with it, and two concurrent writes
// cannot both pass a check. A nested mapper built on the same connection writes inside the same
// transaction (a savepoint).
//
// Tables: the main table is the table of the first key property's column; a further table is
// written only when it is linked to the main table's whole key (every key property maps to a
// column of it too, through the foreign-key mappings or a join on the key column). Columns of
// other joined tables (an owner joined on part of a key among them) are lookups and are never
// written or deleted.
//
// It asks the mapper through CWmipClassMapperHooks, so it stands below the mapper that runs it.
// Built on the stack for one call and used on the mapper's thread only; borrows the mapper.
#pragma once

#include "framework/CWmideStage.h"
#include "framework/CWmideUnit.h"
#include "framework/CWmipMessages.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

class CBntDatabase;
class CWmipClassMapperHooks;
class CWmipObjectPath;
class IWbemClassObject;

class CWmipInstanceWriter
{
public:
    // The most bytes a binary (uint8 array) property value may hold: photos, signatures and
    // documents. Stated in README.md; CWmipMessages::kBinaryTooLarge names it.
    static constexpr std::size_t kMaxBinaryBytes = 16 * 1024 * 1024;

    explicit CWmipInstanceWriter(CWmipClassMapperHooks& mapper);
    CWmipInstanceWriter(const CWmipInstanceWriter&) = delete;
    CWmipInstanceWriter& operator=(const CWmipInstanceWriter&) = delete;

    // PutInstance: see CWmipClassMapper::PutInstance.
    HRESULT Put(IWbemClassObject* instance, LONG flags, CString& path);
    // DeleteInstance: see CWmipClassMapper::DeleteInstance.
    HRESULT Delete(CWmipObjectPath* path);

    // The staged unit of one column for a property value (VT_NULL/VT_EMPTY give a null unit):
    // the badge PIN (BADGE.PIN) encrypted when IsValidPINCode accepts it, else null; an
    // "EncryptedTextField" text encrypted; byte arrays as bytes; with the mapper's
    // IsUseByteArray, text as the bytes its hexadecimal digits spell; date-times from the
    // mode's text, converted to local time unless the mapper keeps UTC; numbers in their CIM
    // type's range. Throws CWMIException 0x80041008 (CWmipMessages::kInvalidProperty) for a value that
    // does not convert, 0x80041001 when encryption fails.
    CWmideUnit MakeUnit(const CString& property, const CString& table, const CString& column, const VARIANT& value,
                        CIMTYPE cimType, bool encrypted) const;

private:
    struct Property
    {
        CString name;
        CIMTYPE type = CIM_EMPTY;
        bool key = false;
        bool read = false;
        bool noEdit = false;
        bool notNull = false;
        bool encrypted = false;
        // "TABLE.COLUMN" texts the property is written to, the first being its own.
        std::vector<CString> columns;
    };

    void LoadProperties();
    void AddColumn(Property& property, const CString& tableDotColumn) const;
    void AddJoinLinks();
    bool IsWritableTable(const CString& table) const;
    // The object path of the keys the instance gives; false when a key has no value.
    bool BuildKeyPath(IWbemClassObject* instance, CWmipObjectPath& path, const Property** missing) const;
    ComPtr<IWbemClassObject> ReadCurrent(IWbemClassObject* instance, const Property** missing) const;
    void StageProperty(IWbemClassObject* instance, const Property& property, bool create, IWbemClassObject* current);
    // Stages the value (null when empty) in every writable column of the property.
    void StageValue(const Property& property, VARIANT& value, bool create);
    void StageLinkedTables(IWbemClassObject* instance, bool create);
    // True when the row of the field set's key units exists.
    bool RowExists(const CString& table, const std::vector<CWmideUnit>& keys) const;
    // The opening of the put inside the write frame: reads the current instance (through the
    // class's segment sources), decides create or update, and runs the permission step alone.
    void OpenPut(IWbemClassObject* instance, LONG flags, ComPtr<IWbemClassObject>& current, bool& create);
    // The rest of the put inside the frame, behind the records the instance names: checks,
    // defaults, staging, BeforeWriteInstance, the rows, the audit and AfterWriteInstance.
    void WriteInstance(IWbemClassObject* instance, LONG flags, bool create, IWbemClassObject* current,
                       CBntDatabase& database);
    [[noreturn]] void ThrowProperty(int line, HRESULT hr, const wchar_t* message, const CString& property) const;

    CWmipClassMapperHooks& m_mapper;
    ComPtr<IWbemClassObject> m_class;
    std::vector<Property> m_properties;
    CString m_mainTable;
    CWmideStage m_stage;
};
