// CWmipInstanceReader: the reading half of CWmipClassMapper's enumeration: the open instance
// recordset, its paging when only the in-memory check tells the matching rows, the building of
// one instance per row (the column plans made on the first row, the last two instances built
// again once nobody else holds them), the in-memory check of a query whose SQL selects a
// superset, and the row count. The mapper shapes, filters and orders the recordset
// (PrepareRecordset, ApplyOrdering) and answers the per-column hooks the reader asks, all
// through CWmipClassMapperHooks, so the reader stands below the mapper; the mapper keeps the
// rows the reader opens, for its column hooks. A row whose stored value its property cannot
// take is never passed over: building it throws CWmipStoredValueRefusal naming the value, so a
// page, an enumeration, a get and a count that meet it all fail alike.
//
// A member of its mapper, built and destroyed with it; it borrows the mapper, whose connection
// outlives it. The recordset is closed by End, by any failure on the way and at the latest by
// the destructor. Used on the mapper's thread only: no lock.
#pragma once

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "platform/wmi/WbemClassObject.h"

class CDynamicRecordset;
class CMultiFilterRecordset;
class CWmipClassMapperHooks;
class IWbemClassObject;

class CWmipInstanceReader
{
public:
    explicit CWmipInstanceReader(CWmipClassMapperHooks& mapper);
    ~CWmipInstanceReader();
    CWmipInstanceReader(const CWmipInstanceReader&) = delete;
    CWmipInstanceReader& operator=(const CWmipInstanceReader&) = delete;

    // What CWmipClassMapper's BeginEnumeration, HasMoreInstances, NextInstance, EndEnumeration
    // and GetTotalRowCount answer, as documented there; Next builds each row through the
    // mapper's CreateInstance.
    BOOL Begin();
    bool HasMore() const;
    HRESULT Next(IWbemClassObject** instance);
    void End();
    LONG CountRows(bool log);
    // The base CreateInstance: the instance of the current row (see CWmipClassMapper).
    HRESULT BuildInstance(IWbemClassObject** instance);

private:
    // How BuildInstance reads one column of the open recordset: what the mapper's
    // GetPropertyProcessMethod answers for it, and for methods 1, 3, 4 and 5 the property it
    // goes into with that property's CIM type from the class definition (no property: the
    // column is not shown), and its slot when the definition is a WbemClassObject (instances
    // spawned from it take the value without a name lookup; any other object goes by the
    // property's name).
    struct ColumnPlan
    {
        CString column;
        CString table;
        int method = 0;
        CString property;
        bool shown = false;
        CIMTYPE type = 0;
        WbemClassObject::PropertySlot slot;
    };
    // The plan of every column of the open recordset, made on the first row of an enumeration:
    // a mapper's answers depend on the column and its table only, never on the row.
    const std::vector<ColumnPlan>& GetColumnPlans(IWbemClassObject* classObject);
    // A fresh instance of classObject for one row: a kept instance nobody else holds, made
    // new, or one spawned (and kept). The spawn's failure otherwise.
    HRESULT SpawnRowInstance(IWbemClassObject* classObject, ComPtr<IWbemClassObject>& built);
    HRESULT PutColumn(IWbemClassObject* instance, const ColumnPlan& plan, int index);
    // True when the attached query's full WHERE clause accepts the instance (always when the
    // SQL selected exactly the matching rows).
    bool InstanceMatchesQuery(IWbemClassObject* instance) const;
    // One column of the current row into the instance by its plan's processing method: the
    // HRESULT of the put (WBEM_E_VALUE_OUT_OF_RANGE or WBEM_E_TYPE_MISMATCH for a stored value
    // its property's type cannot hold); a mapper's failing hook and an unknown method throw
    // CWMIException, and the database's refusal to read the value throws its CDBException.
    HRESULT PutPlannedColumn(IWbemClassObject* instance, const ColumnPlan& plan, int index);
    // Throws the CWmipStoredValueRefusal of the column's stored value in the current row, for
    // `reason`, naming the row by its object path when its keys can be read.
    [[noreturn]] void RefuseStoredValue(const ColumnPlan& plan, int index, const CString& reason);

    // Set at construction.
    CWmipClassMapperHooks& m_mapper;

    // The recordset being read, kept by the mapper (CWmipClassMapperHooks::GetInstanceRecordset);
    // null when none is open.
    std::unique_ptr<CDynamicRecordset>& m_recordset;
    // Paging counted in memory when only the in-memory check tells the matching rows: rows to
    // pass over, and rows still to hand out (-1: no limit).
    LONG m_rowsToSkip = 0;
    LONG m_rowsLeft = -1;
    // The class definition instances are spawned from, fetched once per enumeration.
    ComPtr<IWbemClassObject> m_instanceClass;
    // The last instances built, built again (WbemClassObject::Respawn) once nobody else holds
    // them, so that reading rows allocates no instance object per row. Two, because a sink
    // may keep the last instance it was given until it is given the next.
    std::array<ComPtr<IWbemClassObject>, 2> m_rowInstances;
    std::size_t m_nextRowInstance = 0;
    // The column plans of the open recordset (made for m_planRecordset; rebuilt when another
    // recordset is read).
    std::vector<ColumnPlan> m_columnPlans;
    const CMultiFilterRecordset* m_planRecordset = nullptr;
    // The date-time form of the mapper's door (CWmipMapper::IsBusDoor), asked with the plans
    // rather than per value: it holds for the whole request.
    bool m_isoDates = false;
    // The date-times of the row last built that the door's form serves without their stored
    // fraction (the bus's), by property, as UTC column texts to the microsecond: the in-memory
    // check reads them so (InstanceMatchesQuery).
    std::vector<std::pair<CString, CDBValue>> m_rowDateTimes;
};
