// CWmipStoredValueRefusal: the failure of a read that meets a row whose stored value its
// property cannot take (a number outside its type, a text that is no date-time, a date-time
// outside the years every road takes, a text whose bytes are no UTF-8). 0x80041001
// (WBEM_E_FAILED): nothing the caller sent is wrong, and the row is there, so it is never
// answered as missing; the text names the value as stored, the property and the row's object
// path (CWmipMessages::kStoredValueUnservable). A type of its own, so that a front end
// answering other read failures with a code of its own (the bus's invalid filter) answers this
// one as what it is.
//
// A plain value: copyable; thrown by value and caught by reference.
#pragma once

#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/CString.h"

class CDBValue;

class CWmipStoredValueRefusal : public brontel::utility::CWMIException
{
public:
    // Stored values longer than this are named by their first characters and "...": a text
    // stored in a number column may be of any length.
    static constexpr int kMaxNamedValueLength = 64;

    // The refusal of `stored`, the value of `property` in the row `path` names, for `reason`
    // (a whole sentence). The value is named as stored: a text in single quotes (one whose bytes
    // are no UTF-8 by its bytes, X'4FFF6B'), a number as it is, bytes by their count.
    CWmipStoredValueRefusal(const wchar_t* sourceFile, int line, const CString& path, const CString& property,
                            const CDBValue& stored, const CString& reason);
};
