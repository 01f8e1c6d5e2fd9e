// SchemaDeclaration: one static declaration of the WMI schema (a class, a property, a method,
// a parameter or a qualifier), as a plain record that the declaration tables hold and that
// DeclareSchema hands to the matching registrar while the library loads.
//
// A literal type: the tables are constant-initialised, so they stand before any dynamic
// initialiser runs. Every text is a string literal with static storage; a record is never
// changed and may be read from any thread.
#pragma once

#include <span>

#include "framework/NamedRecordRoad.h"
#include "framework/PropertyOptions.h"
#include "framework/SoftwareEventType.h"
#include "platform/com/CimTypes.h"

// The kinds of declaration, one per registrar constructor.
enum class SchemaDeclarationKind
{
    ClassWithFactory,            // className (served by the mapper bound to it)
    ClassWithSuperclass,         // className, superclass (served by the mapper bound to it)
    DynamicClass,                // className, superclass, dynamicFlag (served by the mapper bound to it)
    AbstractClass,               // className, superclass (no factory)
    RootClass,                   // className (no superclass, no factory)
    Property,                    // className, name, cimType, table, column, key, maxLength,
                                 // idType, segmentOption
    ReferenceProperty,           // className, name, referencedClass
    DynamicProperty,             // className, name, cimType, maxLength (computed, no column)
    Method,                      // className, name
    MethodParameter,             // className, method, input, name, cimType, referencedClass (the class
                                 // an embedded object parameter takes)
    PropertyAttributeInteger,    // className, name (property), attribute, integerValue
    PropertyAttributeText,       // className, name (property), attribute, text
    ClassWidePropertyAttribute,  // className, attribute, integerValue
    ClassAttribute,              // className, attribute, integerValue
    PropertyValues,              // className, name (property), attribute, values, labels
    NamedRecord,                 // className, method (empty: properties), name (names), referencedClass,
                                 // referencedKeys, road
    NoRecord,                    // className, method (empty: properties), name, text (the reason)
    SegmentSource,               // className, and one of: table, column, segmentOption (its own segment
                                 // column); name (names), referencedClass, referencedKeys (the record it
                                 // belongs to); text (not segmented, and why)
    UnfollowedEnd,               // className, name (names), referencedClass, text (why the records do not
                                 // follow the end's segments)
    HiddenFromBus,               // className, text (why the bus never shows the class)
    SoftwareEvent,               // className, integerValue (the SoftwareEventType whose records it holds)
};

// Segment option of a property that does not depend on segmentation.
inline constexpr int kNoSegmentOption = SegmentOptionNone;

struct SchemaDeclaration
{
    SchemaDeclarationKind kind = SchemaDeclarationKind::RootClass;
    const wchar_t* className = L"";
    // Property, reference property, computed property, method or parameter name.
    const wchar_t* name = L"";
    // The method a parameter belongs to.
    const wchar_t* method = L"";
    const wchar_t* superclass = L"";
    const wchar_t* referencedClass = L"";
    const wchar_t* table = L"";
    const wchar_t* column = L"";
    const wchar_t* attribute = L"";
    const wchar_t* text = L"";
    const wchar_t* values = L"";
    const wchar_t* labels = L"";
    // The properties of the referenced class that a named record's names give, comma-separated.
    const wchar_t* referencedKeys = L"";
    CIMTYPE cimType = CIM_EMPTY;
    int key = 0;
    int maxLength = 0;
    int idType = kNoIdType;
    int segmentOption = kNoSegmentOption;
    int integerValue = 0;
    // Who answers a named record that does not exist or that the caller may not see.
    NamedRecordRoad road = NamedRecordRoad::kFramework;
    bool input = false;
    bool dynamicFlag = false;
    // A belongs-to end that a row may leave empty (DeclareBelongsToWhenNamed).
    bool optionalEnd = false;

    // True for the five class kinds.
    constexpr bool IsClass() const
    {
        return kind == SchemaDeclarationKind::ClassWithFactory || kind == SchemaDeclarationKind::ClassWithSuperclass ||
               kind == SchemaDeclarationKind::DynamicClass || kind == SchemaDeclarationKind::AbstractClass ||
               kind == SchemaDeclarationKind::RootClass;
    }
    // True for the three class kinds that are served, each by the mapper whose kWMIClassName it
    // is (MapperBindings).
    constexpr bool IsConcreteClass() const
    {
        return kind == SchemaDeclarationKind::ClassWithFactory || kind == SchemaDeclarationKind::ClassWithSuperclass ||
               kind == SchemaDeclarationKind::DynamicClass;
    }
};

// One registration table: the declarations of one mapper source, in declaration order.
using SchemaDeclarationTable = std::span<const SchemaDeclaration>;

// --- Builders, one per registrar constructor, with the constructor's arguments in order ----

// A served class: the mapper whose kWMIClassName is className serves it (Bind<Mapper>() in
// MapperBindings.cpp); a class no bound mapper serves fails to load.
constexpr SchemaDeclaration DeclareClass(const wchar_t* className)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::ClassWithFactory;
    d.className = className;
    return d;
}

constexpr SchemaDeclaration DeclareClass(const wchar_t* className, const wchar_t* superclass)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::ClassWithSuperclass;
    d.className = className;
    d.superclass = superclass;
    return d;
}

constexpr SchemaDeclaration DeclareClass(const wchar_t* className, const wchar_t* superclass, bool dynamicFlag)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::DynamicClass;
    d.className = className;
    d.superclass = superclass;
    d.dynamicFlag = dynamicFlag;
    return d;
}

constexpr SchemaDeclaration DeclareAbstractClass(const wchar_t* className, const wchar_t* superclass)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::AbstractClass;
    d.className = className;
    d.superclass = superclass;
    return d;
}

constexpr SchemaDeclaration DeclareRootClass(const wchar_t* className)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::RootClass;
    d.className = className;
    return d;
}

constexpr SchemaDeclaration DeclareProperty(const wchar_t* className, const wchar_t* property, CIMTYPE cimType,
                                            const wchar_t* table, const wchar_t* column, int key, int maxLength,
                                            int idType, int segmentOption)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::Property;
    d.className = className;
    d.name = property;
    d.cimType = cimType;
    d.table = table;
    d.column = column;
    d.key = key;
    d.maxLength = maxLength;
    d.idType = idType;
    d.segmentOption = segmentOption;
    return d;
}

constexpr SchemaDeclaration DeclareReferenceProperty(const wchar_t* className, const wchar_t* property,
                                                     const wchar_t* referencedClass)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::ReferenceProperty;
    d.className = className;
    d.name = property;
    d.cimType = CIM_REFERENCE;
    d.referencedClass = referencedClass;
    return d;
}

constexpr SchemaDeclaration DeclareDynamicProperty(const wchar_t* className, const wchar_t* property, CIMTYPE cimType,
                                                   int maxLength)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::DynamicProperty;
    d.className = className;
    d.name = property;
    d.cimType = cimType;
    d.maxLength = maxLength;
    return d;
}

constexpr SchemaDeclaration DeclareMethod(const wchar_t* className, const wchar_t* method)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::Method;
    d.className = className;
    d.name = method;
    return d;
}

constexpr SchemaDeclaration DeclareMethodParameter(const wchar_t* className, const wchar_t* method, bool input,
                                                   const wchar_t* parameter, CIMTYPE cimType)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::MethodParameter;
    d.className = className;
    d.method = method;
    d.input = input;
    d.name = parameter;
    d.cimType = cimType;
    return d;
}

// A parameter that takes an embedded object: an instance of objectClass, and of no other class.
constexpr SchemaDeclaration DeclareObjectParameter(const wchar_t* className, const wchar_t* method, bool input,
                                                   const wchar_t* parameter, const wchar_t* objectClass)
{
    SchemaDeclaration d = DeclareMethodParameter(className, method, input, parameter, CIM_OBJECT);
    d.referencedClass = objectClass;
    return d;
}

constexpr SchemaDeclaration DeclarePropertyAttribute(const wchar_t* className, const wchar_t* property,
                                                     const wchar_t* attribute, int value)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::PropertyAttributeInteger;
    d.className = className;
    d.name = property;
    d.attribute = attribute;
    d.integerValue = value;
    return d;
}

constexpr SchemaDeclaration DeclarePropertyAttribute(const wchar_t* className, const wchar_t* property,
                                                     const wchar_t* attribute, const wchar_t* value)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::PropertyAttributeText;
    d.className = className;
    d.name = property;
    d.attribute = attribute;
    d.text = value;
    return d;
}

constexpr SchemaDeclaration DeclareClassWidePropertyAttribute(const wchar_t* className, const wchar_t* attribute,
                                                              int value)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::ClassWidePropertyAttribute;
    d.className = className;
    d.attribute = attribute;
    d.integerValue = value;
    return d;
}

constexpr SchemaDeclaration DeclareClassAttribute(const wchar_t* className, const wchar_t* attribute, int value)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::ClassAttribute;
    d.className = className;
    d.attribute = attribute;
    d.integerValue = value;
    return d;
}

constexpr SchemaDeclaration DeclarePropertyValues(const wchar_t* className, const wchar_t* property,
                                                  const wchar_t* attribute, const wchar_t* values,
                                                  const wchar_t* labels)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::PropertyValues;
    d.className = className;
    d.name = property;
    d.attribute = attribute;
    d.values = values;
    d.labels = labels;
    return d;
}

// A record of referencedClass that the class's properties `names` (comma-separated, several for a
// composite key) name, each giving the referenced class's property at the same place in
// referencedKeys. road says who answers a write that names a record that does not exist or that
// the caller may not see (NamedRecordRoad).
constexpr SchemaDeclaration DeclareNamedRecord(const wchar_t* className, const wchar_t* names,
                                               const wchar_t* referencedClass, const wchar_t* referencedKeys,
                                               NamedRecordRoad road = NamedRecordRoad::kFramework)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::NamedRecord;
    d.className = className;
    d.name = names;
    d.referencedClass = referencedClass;
    d.referencedKeys = referencedKeys;
    d.road = road;
    return d;
}

// The same for input parameters of a method. The write frame checks the records of the
// framework's road behind the method's permission step (CWmipClassMapper::RequireVisibleNamedRecords).
constexpr SchemaDeclaration DeclareNamedRecordParameter(const wchar_t* className, const wchar_t* method,
                                                        const wchar_t* names, const wchar_t* referencedClass,
                                                        const wchar_t* referencedKeys,
                                                        NamedRecordRoad road = NamedRecordRoad::kFramework)
{
    SchemaDeclaration d = DeclareNamedRecord(className, names, referencedClass, referencedKeys, road);
    d.method = method;
    return d;
}

// An id-shaped property (method empty) or input parameter of the method that names no record of
// any class, with the reason: every id a class holds declares either this or the record it names
// (DeclareNamedRecord), and the registry refuses a class where one has neither.
constexpr SchemaDeclaration DeclareNoRecord(const wchar_t* className, const wchar_t* name, const wchar_t* reason)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::NoRecord;
    d.className = className;
    d.name = name;
    d.text = reason;
    return d;
}

constexpr SchemaDeclaration DeclareNoRecordParameter(const wchar_t* className, const wchar_t* method,
                                                     const wchar_t* name, const wchar_t* reason)
{
    SchemaDeclaration d = DeclareNoRecord(className, name, reason);
    d.method = method;
    return d;
}

// Where the records of className take their segments from: every served class declares at least
// one source, and a class without one is not served. The column of a table of the class's join
// holds the record's segment; it restricts while the installation's segmentation option is on
// (a SegmentOption of framework/PropertyOptions.h).
constexpr SchemaDeclaration DeclareOwnSegment(const wchar_t* className, const wchar_t* table, const wchar_t* column,
                                              SegmentOption segmentOption)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::SegmentSource;
    d.className = className;
    d.table = table;
    d.column = column;
    d.segmentOption = segmentOption;
    return d;
}

// The record of ownerClass that the class's properties `names` name (comma-separated; a reference
// property names its record by the referenced class's keys), each giving the owner's property at
// the same place in ownerKeys: a record is seen only with its owner. A link declares each end.
constexpr SchemaDeclaration DeclareBelongsTo(const wchar_t* className, const wchar_t* names, const wchar_t* ownerClass,
                                             const wchar_t* ownerKeys)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::SegmentSource;
    d.className = className;
    d.name = names;
    d.referencedClass = ownerClass;
    d.referencedKeys = ownerKeys;
    return d;
}

// The same for an end a row may leave empty: a row whose names are NULL names no owner there and is
// seen by its other sources alone.
constexpr SchemaDeclaration DeclareBelongsToWhenNamed(const wchar_t* className, const wchar_t* names,
                                                      const wchar_t* ownerClass, const wchar_t* ownerKeys)
{
    SchemaDeclaration d = DeclareBelongsTo(className, names, ownerClass, ownerKeys);
    d.optionalEnd = true;
    return d;
}

// A record of ownerClass (a segmented class) that the class's key properties `names` name, whose
// segments the class's records do not follow, and why. A class whose key names two or more
// records of segmented classes belongs to each (DeclareBelongsTo) or declares this for it; the
// registry refuses one that does neither.
constexpr SchemaDeclaration DeclareEndNotFollowed(const wchar_t* className, const wchar_t* names,
                                                  const wchar_t* ownerClass, const wchar_t* reason)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::UnfollowedEnd;
    d.className = className;
    d.name = names;
    d.referencedClass = ownerClass;
    d.text = reason;
    return d;
}

// The bus never shows the class (its types, reads and writes answer as for an unknown type);
// reason says why. The WMI door serves it as declared.
constexpr SchemaDeclaration DeclareHiddenFromBus(const wchar_t* className, const wchar_t* reason)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::HiddenFromBus;
    d.className = className;
    d.text = reason;
    return d;
}

// The software events of eventType carry records of className: the software event provider
// builds such an event's record with className's mapper. A kind no loaded class declares is
// dropped, and logged, where it arrives.
constexpr SchemaDeclaration DeclareSoftwareEvent(const wchar_t* className, SoftwareEventType eventType)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::SoftwareEvent;
    d.className = className;
    d.integerValue = eventType;
    return d;
}

// The class's records stand in no segment; reason says why.
constexpr SchemaDeclaration DeclareNotSegmented(const wchar_t* className, const wchar_t* reason)
{
    SchemaDeclaration d;
    d.kind = SchemaDeclarationKind::SegmentSource;
    d.className = className;
    d.text = reason;
    return d;
}
