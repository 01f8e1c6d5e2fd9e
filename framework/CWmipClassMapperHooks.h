// CWmipClassMapperHooks: what the algorithms of a table-backed mapper ask of the mapper they
// serve: its reader (CWmipInstanceReader), its writer (CWmipInstanceWriter) and the write frame
// (CWmipWriteFrame). CWmipClassMapper implements every hook, and each is documented where it
// declares it. The algorithms name this class, never CWmipClassMapper, so they stand below the
// mapper that holds and calls them: the calls between them run one way, down to the hooks. It is
// also what a MapperFactory hands out, so that the registry, the class descriptions and the
// segment filter build mappers from below the class mapper.
//
// An abstract base between CWmipMapper and CWmipClassMapper. It keeps the rows the reader has open
// (GetInstanceRecordset), so that the hooks that read the current row never call back into the
// reader. A mapper serves one request on one thread: no lock.
#pragma once

#include "common/AccessCodes.h"
#include "framework/CWmipMapper.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <map>
#include <memory>
#include <vector>

class CBntDatabase;
class CMultiFilterRecordset;
class CWMITypeInfo;
class CWmideFieldSet;
class CWmipObjectPath;
class IWbemClassObject;

namespace brontel {
namespace UserTranOperation {
// The write operations recorded in the audit log, as the framework passes them to
// BeforeWriteInstance, LogTransaction and AfterWriteInstance.
enum UserTransactionOperation : int
{
    Add = AuditOperation::kAdd,
    Modify = AuditOperation::kModify,
    Delete = AuditOperation::kDelete
};
}  // namespace UserTranOperation
namespace UserTranObject {
// The kind of object an audit entry is about; each mapper names its own number (0: none).
using UserTransactionObject = LONG;
}  // namespace UserTranObject
}  // namespace brontel

// The source name in the log of the table-backed mapper and of its reader, writer and write frame:
// their work is split over several files but logs as the one mapper it is, so a reader of the log
// finds every line of a request's road under one name.
inline constexpr wchar_t kClassMapperLogSource[] = L"wpClassMapper.cpp";

class CWmipClassMapperHooks : public CWmipMapper
{
public:
    using CWmipMapper::CWmipMapper;

    // True for VT_EMPTY, VT_NULL and an empty text.
    static BOOL IsEmptyValue(VARIANT& value)
    {
        if (value.vt == VT_EMPTY || value.vt == VT_NULL)
            return TRUE;
        return value.vt == VT_BSTR && (value.bstrVal == nullptr || SysStringLen(value.bstrVal) == 0) ? TRUE : FALSE;
    }

    // The mapper's connection and its class.
    virtual CBntDatabase* GetDatabase() const = 0;
    virtual CWMITypeInfo* GetTypeInfo() const = 0;

    // Reading a row of the open instance recordset.
    virtual HRESULT CreateInstance(IWbemClassObject** instance) = 0;
    virtual WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) = 0;
    virtual CString GetPropertyName(const CString& column, const CString& table) = 0;
    virtual HRESULT ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                            const CString& table) = 0;
    virtual HRESULT GetObjectPath(CMultiFilterRecordset& recordset, CString& path) = 0;

    // Writing: the stored instance, the permission and record checks, the values and their
    // columns, and the hooks around the rows.
    virtual IWbemClassObject* GetCurrentInstance(CWmipObjectPath* path) = 0;
    virtual void CanAdd(IWbemClassObject* instance) = 0;
    virtual void CanModify(IWbemClassObject* instance) = 0;
    virtual void CanDelete(IWbemClassObject* instance) = 0;
    virtual void RequireVisibleNamedRecords(IWbemClassObject* values, const wchar_t* method) = 0;
    virtual void RequireReachableSegment(IWbemClassObject* instance) = 0;
    virtual HRESULT ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                         CString& propertyName) = 0;
    virtual HRESULT GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value) = 0;
    virtual bool KeepsNoEditValue(const CString& property) = 0;
    virtual bool IsSystemStamped(const CString& property) = 0;
    virtual HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) = 0;
    virtual CString GetTableDotColumn(const CString& property) = 0;
    virtual const std::map<CString, CString, CStringNoCaseLess>& GetForeignKeyMappings() const = 0;
    // The "TABLE.COLUMN, TABLE.COLUMN" joins of the class's tables: a table joined on the main
    // table's key column is written with the instance. The base has none.
    virtual const std::vector<CString>& GetJoins() const = 0;
    virtual void AddAdditionalFields(CWmideFieldSet& fieldSet) = 0;
    virtual void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                                     IWbemClassObject* instance) = 0;
    virtual void LogTransaction(brontel::UserTranOperation::UserTransactionOperation operation,
                                IWbemClassObject* instance) = 0;
    virtual void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                                    IWbemClassObject* instance) = 0;

    // Asked by the segment filter (CWmipSegmentSourceFilter), which builds a class's mapper to
    // learn the tables and joins of its reads.
    virtual void SetupInstanceRecordset(CDynamicRecordset* recordset) = 0;

protected:
    // The recordset the reader has open, whose current row the column hooks read; null when
    // none is open. Valid until EndEnumeration.
    CMultiFilterRecordset* GetInstanceRecordset() const { return m_instanceRows.get(); }

private:
    // The reader's alone: the recordset the mapper shapes and filters, its ordering and the
    // paging that SetOrderByFields, SetStartingRecord and SetEndingRecord asked for.
    friend class CWmipInstanceReader;
    virtual std::unique_ptr<CDynamicRecordset> PrepareRecordset(bool& stored) = 0;
    virtual void ApplyOrdering(CDynamicRecordset& recordset) = 0;
    virtual bool HasOrderByFields() const = 0;
    virtual LONG GetStartingRecord() const = 0;
    virtual LONG GetEndingRecord() const = 0;
    // The open rows; opened, moved and closed by the reader alone.
    std::unique_ptr<CDynamicRecordset> m_instanceRows;
};
