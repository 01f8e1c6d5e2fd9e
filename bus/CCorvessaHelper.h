// CCorvessaHelper: the bus front end's static helpers. It joins the two value worlds of the
// front end: bus values (qpid::types::Variant, UTF-8 text) and the mappers' values (VARIANT,
// wide text, SAFEARRAY arrays). Every conversion is chosen by the CIM type of the property,
// never by the type the value happens to carry; a VARIANT member is read only after its type
// was checked. Besides the conversions it holds the checks of request values (text forms per
// CIM type, possible values), the look-up of a class definition, the MIME type of binary
// values and the lost-connection test.
//
// No state besides constant tables built before first use: every operation may be called from
// any thread. Failures leave as exceptions (CCorvessaException, GenericException, CWMIException
// or _com_error as each operation states); nothing is half-built behind them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/qpid/Variant.h"

class CAcsUser;
class CCorvessaClassObject;
class CException;
class CWMITypeInfo;
struct SAFEARRAY;

class CCorvessaHelper
{
public:
    CCorvessaHelper() = delete;

    // The MIME type of every binary value whose picture format is not recognised.
    static constexpr char kDefaultContentType[] = "application/octet-stream";
    // The one class whose binary values carry a detected picture type.
    static constexpr wchar_t kMultimediaClass[] = L"Bnt_MultimediaObject";
    // File extension -> MIME type of the recognised picture formats.
    static const std::map<std::string, std::string> webContentTypeMap;

    // --- Values ----------------------------------------------------------------------------

    // True for VT_EMPTY and VT_NULL.
    static bool IsVariantEmpty(const _variant_t& value);
    // A VT_NULL value.
    static _variant_t GetNullVariant();
    // True when the array flag and both bits 0x01 and 0x10 are set (arrays of CIM_UINT8, and
    // by the same test of CIM_UINT32 and CIM_UINT64).
    static bool IsCIMTypeConsideredBinary(const long& cimType);

    // A request value as the VARIANT for a property of cimType. A void value or empty text is
    // VT_NULL for every type. Throws CCorvessaException "corvessa.general.invalidrequestitem"
    // naming the property for a value whose text or number does not fit the type (an empty
    // element of an array, a text that is not well-formed UTF-8 included); GenericException for a type without a
    // conversion; CWMIException 0x80040524 for binary text that is not Base64 when isBase64 is set.
    static _variant_t ConvertFromQpidVariantToWMIVariant(const CString& propertyName, const qpid::types::Variant& value,
                                                         long cimType, bool isBase64);
    // An array value of the converted elements: VT_NULL for no elements; VT_ARRAY|VT_I4 for
    // elementType VT_I4, VT_ARRAY|VT_UI1 for VT_UI1 (each element must be of that type).
    // Throws GenericException for any other element type or an element of another type.
    static _variant_t CreateSafeArraryVariantFromVariantVector(const std::vector<_variant_t>& items,
                                                               VARTYPE elementType);
    // VT_ARRAY|VT_UI1 of the text's bytes: decoded from Base64 when isBase64 is set, else as
    // they stand. Throws CWMIException 0x80040524 for text that does not decode, and for text
    // with anything but fill ("=") and blanks after its first fill (the decoding stops there).
    static _variant_t CreateSafeArrayVariantFromBinaryString(const std::string& text, bool isBase64);

    // A WMI value of a property of cimType as a bus value: void for an empty scalar, lists for
    // arrays, {"data", "content_type"} for binary values. Throws GenericException for a type
    // without a conversion or a value that does not convert to the type.
    static qpid::types::Variant ConvertToQpidVariant(const CString& className, const CString& propertyName,
                                                     const _variant_t& value, const long& cimType);
    // The same for a value given as text (an object path's key value): empty text is void.
    static qpid::types::Variant ConvertToQpidVariant(const CString& className, const CString& propertyName,
                                                     const CString& text, const long& cimType);

    // The elements of a one-dimensional array of 32-bit integers, bytes (as one string of them)
    // or BSTRs, in order from its lower bound; empty for a null array. Throws GenericException for an array of
    // another element type or of more than one dimension.
    static std::vector<long> GetLongsFromSafeArray(SAFEARRAY* array);
    static std::string GetBytesFromSafeArray(SAFEARRAY* array);
    static std::vector<CString> GetStringsFromSafeArray(SAFEARRAY* array);

    // Each text pair as UTF-8 text keys and string values.
    static std::map<std::string, qpid::types::Variant> ConvertToQpidMap(const std::map<CString, CString>& texts);

    // --- Checks and look-ups ---------------------------------------------------------------

    // Whether the value's text form fits the CIM type: integers "-?digits", reals
    // "-?digits*[.]?digits", booleans true/false/0/1 in any case, date-times the bus's
    // ISO 8601 form; well-formed UTF-8 for strings and references; anything for other types and
    // arrays.
    static bool IsValidValue(const qpid::types::Variant& value, long cimType);
    static bool IsValidIntegerValue(const qpid::types::Variant& value);
    static bool IsValidFloatValue(const qpid::types::Variant& value);
    static bool IsValidBooleanValue(const qpid::types::Variant& value);
    static bool IsValidDateTimeValue(const qpid::types::Variant& value);

    // Whether the value is one of the property's possible values in served, the definition as
    // the caller is served it (CWMITypeInfo::GetUserDefinition); true when it declares none. A
    // VT_I4 value is compared as its decimal text; an empty value passes; a value of another
    // type passes with an error line.
    static bool IsSpecifiedValueInPossibleValues(CCorvessaClassObject& served, const CString& propertyName,
                                                 const _variant_t& value);
    static bool IsSpecifiedValueInPossibleValues(CCorvessaClassObject& served, const CString& propertyName,
                                                 const CString& valueText);

    // The class definition of the type (never null), a hold valid while the caller keeps it. Throws
    // GenericException for a type the registry does not know.
    static std::shared_ptr<CCorvessaClassObject> GetTypeInformation(const CString& typeName);

    // True for a database exception whose state names a lost connection (08S01 with native
    // 233, 08S02 with -1).
    static bool IsInvalidDBConnectionException(const CException& exception);

private:
    static _variant_t CreateNumericSafeArrayVariantFromVariantVector(const std::vector<_variant_t>& items);
    static _variant_t CreateByteSafeArrayVariantFromVariantVector(const std::vector<_variant_t>& items);
    static qpid::types::Variant BuildQpidListFromVariantArray(const CString& className, const CString& propertyName,
                                                              const _variant_t& value, const long& cimType);
    static qpid::types::Variant RemoveExtraQuotesFromReferenceString(const std::string& text);
    // The detected picture type for the multimedia class, else the default.
    static std::string GetContentTypeForProperty(const CString& className, const CString& propertyName,
                                                 const std::string& bytes);
    static std::string GetMimeContentType(const std::string& bytes);
    static std::map<std::string, std::string> InitWebContentTypeMap();
};
