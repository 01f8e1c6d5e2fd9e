// WMIHelper: the static helpers of the class-mapping framework: typed reads and writes of the
// properties and qualifiers of WMI objects, the date-time texts of the two doors (DMTF for WMI,
// ISO 8601 for the bus; the caller names its door), text conversions and small checks.
//
// No state of its own; every helper is safe on any thread for objects no other thread uses.
// The HRESULT helpers never let an exception out: short memory answers WBEM_E_OUT_OF_MEMORY,
// anything else thrown below them WBEM_E_FAILED. Objects are borrowed, never released.
// The read helpers leave their output unchanged whenever they fail.
#pragma once

#include <functional>

#include "framework/DateTimeText.h"
#include "framework/Door.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/CTime.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"
#include "platform/wmi/WbemClassObject.h"

#include <list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class IWbemClassObject;
class IWbemQualifierSet;
class XmlNode;

// The framework's byte array (MFC's CByteArray): the same type as the byte vectors of the
// crypto helper, so a PIN cipher passes straight into PutByteArray.
using CByteArray = std::vector<BYTE>;
// The framework's list of texts (MFC's CStringList), in insertion order.
using CStringList = std::list<CString>;

class WMIHelper
{
public:
    // Processing methods of a column (GetPropertyProcessMethod): how a mapper's instance
    // building treats it. 1 and 4 read the column under its own name, 3 and 5 under the
    // property GetPropertyName gives, 2, 6 and 7 hand it to the mapper's
    // ProcessInstanceProperty; any other number is an error.
    enum ProcessMethod : int
    {
        kProcessSkip = 0,
        kProcessByColumnName = 1,
        kProcessByMapper = 2,
        kProcessByPropertyName = 3,
        kProcessByOwnColumnName = 4,
        kProcessByRegisteredName = 5,
        kProcessByMapperSecond = 6,
        kProcessByMapperThird = 7
    };

    WMIHelper() = delete;

    // The one walk over an object's properties: BeginEnumeration(flags), Next until
    // WBEM_S_NO_MORE_DATA, EndEnumeration (also after a failure). Each property's name, value
    // and CIM type go to visit, which answers false to stop the walk. S_OK when the walk ended
    // or visit stopped it; the first failure of BeginEnumeration or Next otherwise.
    using PropertyVisitor = std::function<bool(const CString& name, const VARIANT& value, CIMTYPE type)>;
    static HRESULT ForEachProperty(IWbemClassObject* object, LONG flags, const PropertyVisitor& visit);

    // --- Reads ---------------------------------------------------------------------------
    // Each read answers 0 with the output set on success. A null object answers 0x80041001
    // (WBEM_E_FAILED); a property the object does not have answers the object's code
    // (WBEM_E_NOT_FOUND); a property without value (VT_NULL) answers 0x80041028
    // (WBEM_E_ILLEGAL_NULL); a value of a type the helper does not read answers 0x80041001.

    // VT_I1, VT_UI1, VT_I2, VT_UI2, VT_BOOL (true is -1), VT_I4, VT_UI4, VT_INT and VT_UINT as a
    // 32-bit integer; unsigned 32-bit values keep their bits (uint32 travels in VT_I4 too).
    static HRESULT GetNumber(IWbemClassObject* object, const wchar_t* name, LONG& value);
    // What GetNumber reads, plus VT_I8, VT_UI8 (bits kept) and the decimal text in which WMI
    // carries 64-bit properties (an optional '-' and digits only; a uint64 property's text may
    // reach 2^64-1 and keeps its bits). Text that does not read answers 0x80041001.
    static HRESULT GetNumber64(IWbemClassObject* object, const wchar_t* name, LONGLONG& value);
    // VT_BSTR (datetime and reference texts included) as it stands; a null BSTR is empty.
    static HRESULT GetString(IWbemClassObject* object, const wchar_t* name, CString& value);
    // VT_BOOL, or any integer GetNumber reads (non-zero is true), as TRUE (1) or FALSE (0).
    static HRESULT GetBool(IWbemClassObject* object, const wchar_t* name, int& value);
    // The date-time text of the door's form (what PutDateTime writes: DMTF, or ISO 8601 for the
    // bus door) as its wall-clock fields, without zone conversion. Text of another form or
    // fields that are no date answer 0x80041001. A null output answers WBEM_E_INVALID_PARAMETER.
    static HRESULT GetDateTime(IWbemClassObject* object, const wchar_t* name, COleDateTime* value, Door door);
    // A copy of the value, VT_NULL for a property without value. *value is fresh storage (as
    // for IWbemClassObject::Get): the caller clears it after a success. A null output answers
    // WBEM_E_INVALID_PARAMETER.
    static HRESULT GetVariant(IWbemClassObject* object, const wchar_t* name, VARIANT* value);

    // --- Writes --------------------------------------------------------------------------
    // Each write answers the HRESULT of IWbemClassObject::Put (WBEM_E_NOT_FOUND for an
    // instance property the class lacks, WBEM_E_TYPE_MISMATCH for a value the property
    // refuses, ...) and 0x80041001 for a null object. The CIM type passed is 0 (the
    // property's own) unless stated. A slot, when given, is where the property sits in the
    // class the object was spawned from (WbemClassObject::FindSlot): an object that accepts it
    // takes the value by slot, with the same result, and any other object (one of the bus, of
    // another class) by name.

    // VT_I4.
    static HRESULT PutNumber(IWbemClassObject* object, const wchar_t* name, LONG value,
                             const WbemClassObject::PropertySlot* slot = nullptr);
    // The bits in VT_I4 with CIM type 19 (uint32), through PutVariant.
    static HRESULT PutUnsignedNumber(IWbemClassObject* object, const wchar_t* name, ULONG value,
                                     const WbemClassObject::PropertySlot* slot = nullptr);
    // The decimal text (VT_BSTR) in which WMI carries 64-bit properties.
    static HRESULT PutNumber64(IWbemClassObject* object, const wchar_t* name, LONGLONG value,
                               const WbemClassObject::PropertySlot* slot = nullptr);
    // VT_BOOL (VARIANT_TRUE or VARIANT_FALSE).
    static HRESULT PutBool(IWbemClassObject* object, const wchar_t* name, bool value,
                           const WbemClassObject::PropertySlot* slot = nullptr);
    // VT_BSTR with the given CIM type (8 for a string, 0 for the property's own).
    static HRESULT PutString(IWbemClassObject* object, const wchar_t* name, const CString& value, LONG cimType);
    // What PutString writes, from a view of the text (embedded NULs kept); an object of the
    // WMI-service stand-in keeps the one copy made here instead of copying it again.
    static HRESULT PutText(IWbemClassObject* object, const wchar_t* name, std::wstring_view value, LONG cimType,
                           const WbemClassObject::PropertySlot* slot = nullptr);
    // The value as given (null or VT_NULL clears the property) with the given CIM type. A put
    // by slot takes the value over as WbemClassObject::PutTaking does (*value is VT_EMPTY or
    // unchanged afterwards).
    static HRESULT PutVariant(IWbemClassObject* object, const wchar_t* name, VARIANT* value, LONG cimType,
                              const WbemClassObject::PropertySlot* slot = nullptr);
    // A one-dimensional VT_UI1 array with CIM type uint8 array, so a class definition gets the
    // right type too; an empty value puts none (NULL), as an empty text is stored. More than
    // kMaxSafeArrayElements bytes answer WBEM_E_INVALID_PARAMETER.
    static HRESULT PutByteArray(IWbemClassObject* object, const wchar_t* name, std::span<const BYTE> value,
                                const WbemClassObject::PropertySlot* slot = nullptr);
    // The embedded object (VT_UNKNOWN, CIM type object); a null object clears the property.
    static HRESULT PutObject(IWbemClassObject* object, const wchar_t* name, IWbemClassObject* embedded);
    // The date-time text of the door's form (DateTimeToString) of the fields as they stand,
    // without zone conversion; the timestamp's fraction becomes DMTF microseconds. Fields that
    // form no date of the years 100-9999 (an invalid or null COleDateTime included) answer
    // WBEM_E_INVALID_PARAMETER and write nothing.
    static HRESULT PutDateTime(IWbemClassObject* object, const wchar_t* name, const TIMESTAMP_STRUCT& value, Door door);
    static HRESULT PutDateTime(IWbemClassObject* object, const wchar_t* name, const COleDateTime& value, Door door,
                               const WbemClassObject::PropertySlot* slot = nullptr);
    // A CTime is an instant: it is written as its UTC fields.
    static HRESULT PutDateTime(IWbemClassObject* object, const wchar_t* name, const CTime& value, Door door);
    // The UTC fields, microseconds included, of a date-time as the database stores it (local
    // wall-clock time when localTime, UTC otherwise): true; false (utc unchanged) for a value
    // outside the years 100-9999 before or after the conversion.
    static bool StoredToUtc(const TIMESTAMP_STRUCT& stored, bool localTime, DateTimeText::Parts& utc);
    // A date-time as the database stores it: local wall-clock time (localTime, converted to UTC
    // by the rules of DefaultTimeZoneInfo) or UTC, written as PutDateTime writes it, its fraction
    // to the microsecond (the bus's form writes none); isoForm is true for the bus door's form
    // (the mapper's IsBusDoor), which a reader asks once per enumeration rather than per value. A
    // value outside the years 100-9999, before or after the conversion, is no date-time any road
    // takes (writes, query literals): WBEM_E_VALUE_OUT_OF_RANGE and nothing written, never an
    // absent value for a date stored.
    static HRESULT PutStoredDateTime(IWbemClassObject* object, const wchar_t* name, const TIMESTAMP_STRUCT& stored,
                                     bool localTime, bool isoForm, const WbemClassObject::PropertySlot* slot = nullptr);

    // --- Qualifiers ----------------------------------------------------------------------
    // The flavour is passed through: 3 propagates the qualifier to instances and derived
    // classes. A null object or set answers 0x80041001.

    // The property's qualifier set in *qualifiers (one reference for the caller) and 0; the
    // object's code (WBEM_E_NOT_FOUND for an unknown property) with *qualifiers null;
    // WBEM_E_INVALID_PARAMETER for a null out-pointer.
    static HRESULT GetPropertyQualifierSet(IWbemClassObject* object, const wchar_t* property,
                                           IWbemQualifierSet** qualifiers);
    // Puts the text (VT_BSTR) as qualifier `qualifier` of the property; the code of reaching
    // the set or of the put.
    static HRESULT PutQualString(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier,
                                 const CString& value, LONG flavor);
    // VT_I4, VT_BOOL and a one-dimensional VT_BSTR array (in list order); the set's code.
    static HRESULT PutQualInt(IWbemQualifierSet* qualifiers, const wchar_t* name, int value, LONG flavor);
    static HRESULT PutQualBool(IWbemQualifierSet* qualifiers, const wchar_t* name, bool value, LONG flavor);
    static HRESULT PutQualStringArray(IWbemQualifierSet* qualifiers, const wchar_t* name, const CStringList& values,
                                      LONG flavor);

    // --- Date-time texts -----------------------------------------------------------------
    // The value's fields as "yyyy-mm-ddTHH:MM:SS+00:00" for the bus door, else as DMTF
    // "yyyymmddHHMMSS.000000+000", without zone conversion (callers pass UTC values): true.
    // An invalid or null value empties the text: false. `flag` is the callers' 0; no value of
    // it changes the text.
    static bool DateTimeToString(CString& text, const COleDateTime& value, int flag, Door door);
    // The UTC instant a date-time text names (wall clock minus its zone offset). For the bus
    // door the text is ISO 8601 "yyyy-mm-ddTHH:MM:SS+hh:mm" (a text longer than 25
    // characters enclosed in double quotes, or in single quotes when it holds no double quote,
    // loses the enclosing pair first); otherwise DMTF "yyyymmddHHMMSS.mmmmmmsUUU"
    // (microseconds dropped). Valid exactly when the text has that form and names a date of
    // the years 100-9999; anything else gives status invalid.
    static COleDateTime ToDateTimeUTC(const CString& text, Door door);
    // The UTC fields of the instant ToDateTimeUTC reads, with the text's microseconds (DMTF has
    // six digits of them; the bus's form none): true; false (utc unchanged) when ToDateTimeUTC
    // gives an invalid value.
    static bool ToUtcParts(const CString& text, Door door, DateTimeText::Parts& utc);
    // The wall-clock conversions and the WQL literals a mapper's ProcessClause is handed stand
    // here, below the mapper, so that the property helpers and the query refusal read them
    // without naming the mapper.
    // Wall-clock conversions with the process's time zone (DefaultTimeZoneInfo), daylight
    // saving applied. An invalid or null value, or one the conversion pushes out of the
    // years 100-9999, comes back with status invalid (null stays null).
    static COleDateTime LocalToUtc(const COleDateTime& local);
    static COleDateTime UtcToLocal(const COleDateTime& utc);
    // The text of a WQL string literal in the form ProcessClause is handed ("..." with \" and
    // \\ escapes): true with text set; false (text untouched) for any other form.
    static bool UnquoteWqlLiteral(const CString& literal, CString& text);
    // The UTC fields, microseconds included, of the instant a WQL literal as ProcessClause is
    // handed names: a quoted date-time in the form of the given door (ToUtcParts): true; false
    // (utc unchanged) for anything else.
    static bool ReadDateLiteral(const CString& literal, Door door, DateTimeText::Parts& utc);
    // The truth a WQL literal as ProcessClause is handed stands for compared with a boolean
    // (WqlLiteral::ReadBoolean: TRUE or FALSE, 1 or 0, quoted or not); none for anything else.
    static std::optional<bool> ReadBooleanLiteral(const CString& literal);

    // --- Tables and rules ----------------------------------------------------------------
    // The processing method of a column of the current row: kProcessByMapper for table
    // "EVENTS", column "EVENTTYPE" (exact comparison); kProcessByColumnName for every other
    // named column; kProcessSkip for an empty column name. `isVisitor` is the mapper's
    // IsVisitorClass answer; the visitor mapper decides its own columns, so it changes nothing
    // here.
    static ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table, bool isVisitor = false);

    // --- Text ----------------------------------------------------------------------------
    // The tokens CString::Tokenize finds: every character of `delimiter` separates, empty
    // tokens are skipped; an empty delimiter gives the whole text as one token; an empty text
    // gives none.
    static std::vector<CString> SplitString(const CString& text, const CString& delimiter);
    // Clears `map`; when both vectors have the same number of elements, maps trimmed element i
    // of `keys` to trimmed element i of `values` (a repeated key keeps its last value) and
    // answers true; otherwise the map stays empty and the answer is false.
    static bool ConvertVectorPairToMap(const std::vector<CString>& keys, const std::vector<CString>& values,
                                       std::map<CString, CString>& map);
    // A new BSTR (the caller frees it) from UTF-8 text, embedded NULs kept; null when memory
    // is short.
    static BSTR ConvertToBSTR(const std::string& text);
    // The wide text as a CString; a null pointer gives the empty text.
    static CString ConvertToCString(const wchar_t* text);
    // The wide text as UTF-8; a null pointer gives the empty string.
    static std::string ConvertToStdString(const wchar_t* text);
    // True for an empty text or one made only of the digits 0-9.
    static bool IsValidPINCode(const CString& pin);
    // --- Instances from XML ----------------------------------------------------------------
    // The property of the instance's class that a column element names ("TABLE", "COLUMN");
    // empty to skip the column.
    using XmlPropertyNames = std::function<CString(const CString& column, const CString& table)>;
    // Fills the instance's properties from a data element whose child elements are tables and
    // whose grandchild elements are columns: each column's trimmed text converted by the
    // property's CIM type (numbers, 64-bit numbers, reals, booleans "1"/"0"/"true"/"false",
    // strings, date-times "YYYY-MM-DD HH:MM:SS" read as local time unless useUTC, byte arrays
    // as hexadecimal, "EncryptedTextField" strings decrypted from hexadecimal); a column
    // element carrying the attribute "N" (or "n") = "1" or "true" is NULL and clears the
    // property. Property names come from `names` (default: the column's own name, skipping the
    // columns GetPropertyProcessMethod skips, isVisitor as it takes it: the class mapper, which
    // knows the class's columns, always hands its own); a column the
    // class has no property for, embedded objects and unhandled types are skipped (the last
    // two logged). S_OK; WBEM_E_INVALID_PARAMETER (logged) for a null instance. Throws
    // _com_error E_POINTER for a null node and, for a value that does not convert,
    // CWMIException WBEM_E_INVALID_PARAMETER with "An error occurred while processing the property %s.".
    static HRESULT CreateInstanceFromXML(IWbemClassObject* instance, const XmlNode& node, bool isVisitor, bool useUTC,
                                         const XmlPropertyNames& names = {});
};
