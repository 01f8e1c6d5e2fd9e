// CWmipUDFClassMapper: base of the mappers whose classes carry user-defined fields (persons,
// badges, visits). The class definition is built at run time: the registered properties of the
// class, then the fields of the installation's user-defined-field layout (UDFOBJS joined with
// DDFLD and DDTBL, restricted by the subclass's FilterUDFLayoutRecordset, in LFIELD order). The
// layout also gives the value checks of a write (value lists, list tables, uniqueness) and the
// per-property permissions (the view and edit rights of the caller's field permission group,
// kept by the user cache).
//
// Built per request like every class mapper and owned by its caller; one request on one
// thread. The layout is read once per mapper, on first use.
#pragma once

#include "framework/CWmipClassMapper.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <vector>

class CAcsUser;
class CMultiFilterRecordset;

class CWmipUDFClassMapper : public CWmipClassMapper
{
public:
    // Separator of the value texts and labels of a layout field's value list.
    static constexpr const wchar_t* kValueListSeparator = L"|";

    // One field of the layout.
    struct LayoutField
    {
        LONG fieldId = 0;
        // The property (the column's name unless the mapper names it otherwise).
        CString property;
        CString column;
        CString table;
        LONG cimType = 0;
        int maxLength = 0;
        bool required = false;
        bool unique = false;
        CString label;
        std::vector<CString> possibleValues;
        std::vector<CString> possibleLabels;
        // The list table whose rows give the field's values; empty for none.
        CString listTable;
    };

    // The class mapper of className (view without check; add, modify and delete not supported
    // until the subclass sets its ids).
    CWmipUDFClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className);
    ~CWmipUDFClassMapper() override;

    // FALSE: the definition depends on the installation's layout.
    BOOL WMIStoresClassDefinition() override;
    // Builds the definition into *classObject (nulled first): CreateClassImpl, the registered
    // properties, then each layout field whose property the class does not hold yet (process
    // method 0 skips a field; 2 hands it to ProcessClassProperty). S_OK; the first failure.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // The layout (DDTBL, DDFLD, UDFOBJS) and the rows of its list tables as the caller may see
    // them: while the caller's rights and the list stamp stand, and with list tables while the
    // schema that gives them their triggers stands too; never kept when a list table of the layout
    // sets no list stamp (CDefinitionStamps::SetsListStamp). A subclass that reads more says so
    // and keeps this rule.
    DefinitionReuse GetBuiltClassReuse() override;
    // The caller's copy of the definition, shaped by its field permission group: a layout field
    // it may not view is taken out (so no read of either door serves it, no query, filter or order
    // names it, and no write carries it), and one it may view but not edit is marked "read" and
    // "noedit" (so a modify may carry its stored value, and nothing else, and never writes it).
    // S_OK, or the failure of a qualifier's put.
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override;
    // The shaping reads the caller's field permission list alone, which a change of the group's
    // rows makes the user caches read anew with the rights stamp: WhileRightsAndListsSame.
    DefinitionReuse GetShapedClassReuse() override;
    // True when the class has layout fields (each may be restricted by the caller's field
    // permission group).
    bool HasPerPropertyPermissions() override;
    // The view right of the caller's field permission group on a layout field
    // (IWmipUserDirectory::HasUDFPermission); false when the caller cannot be resolved; true for a
    // property that is no layout field.
    bool CanAccessProperty(const CString& property) override;
    // The class mapper's properties and the layout's fields the caller may view.
    bool IsQueryableProperty(const CString& property) override;
    // Refuses with CWMIException 0x80041003 a value for a field the caller's group may not view,
    // and on a create (the class's keys are generated: a put without them creates) one for a field
    // it may not edit, then writes as CWmipClassMapper::PutInstance; a modify keeps a field the
    // caller may not edit as stored (the "noedit" of its definition).
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, CString& path) override;
    // The base check, then for a layout field: a value list must hold the value, a list table
    // must hold a row of that ID the caller's segments allow (WBEM_E_INVALID_PARAMETER
    // otherwise); a unique field must not hold the value in another row (CWMIException
    // 0x80041001 CWmipMessages::kNotUniqueProperty).
    HRESULT IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value) override;

    // Restricts the layout rows to this class's fields.
    virtual void FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset) = 0;
    // The CIM type of a layout column when the mapper knows better than the layout; 0 for none.
    virtual LONG GetPropertyType(const CString& column, const CString& table);
    // Adds the property of a column whose process method is 2 to the class definition. The
    // base: WBEM_E_NOT_SUPPORTED (the field is added as an ordinary one).
    virtual HRESULT ProcessClassProperty(IWbemClassObject* classObject, const CString& column, const CString& table);

    // Returns when the instance has a value for every person field the badge type requires
    // (BDGREQFLDLINK); otherwise throws CWMIException 0x80041028 "The required property %s
    // had no value and no default was provided." naming the first missing field. A database
    // failure throws 0x80041001.
    void CheckBadgeTypeRequiredFields(IWbemClassObject* instance, LONG badgeType);

    // Puts the "ValueMap" (ID texts) and "Values" (NAME texts) qualifiers of the property from
    // the rows of the list table that the user may see (CWmipSegmentSourceFilter::ApplyToList;
    // every row for a null user),
    // ordered by ID, or by NAME when flag is non-zero; extra, when not empty, is a further
    // filter of the system's own text. S_OK; the failing HRESULT of a put; WBEM_E_FAILED when
    // the table cannot be read (logged); WBEM_E_INVALID_PARAMETER for null arguments.
    static HRESULT PutListValueQualifiers(IWbemClassObject* classObject, const wchar_t* property, const wchar_t* table,
                                          CString& extra, const CAcsUser* user, int flag);

    // The layout fields, read on first use (empty when the layout cannot be read, logged).
    const std::vector<LayoutField>& GetLayout();

private:
    const LayoutField* FindField(const CString& property);
    // The caller's view (or edit) right on the property's layout field, as CanAccessProperty.
    bool HasFieldRight(const CString& property, BOOL forEdit);
    // The view and the edit right together: a field the caller may not view it may not edit.
    bool CanEditProperty(const CString& property);
    bool ListHoldsValue(const LayoutField& field, const VARIANT& value);
    void CheckUnique(IWbemClassObject* instance, const LayoutField& field, const VARIANT& value);

    bool m_layoutRead = false;
    // The layout could not be read: a definition built now would lack its fields.
    bool m_layoutFailed = false;
    std::vector<LayoutField> m_layout;
};
