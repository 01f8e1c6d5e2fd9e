// CWmipVisitorMapper: the mapper of Bnt_Visitor, the persons of EMP with VISITOR 1 and their
// user-defined fields in VISITOR_UDF. The person rules are CWmipPersonMapper's; a visitor adds
// its audit kind and is read as a visitor class (IsVisitorClass).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "mappers/records/CWmipPersonMapper.h"

class CWmipVisitorMapper : public CWmipMapperSkeleton<CWmipVisitorMapper, CWmipPersonMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Visitor";

    CWmipVisitorMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // 2: visitors.
    int GetPersonType() override;
    bool IsVisitorClass() override;
};
