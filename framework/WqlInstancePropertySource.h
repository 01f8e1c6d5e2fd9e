// WqlInstancePropertySource: the property values of one WMI object for the in-memory WHERE
// check (WqlEvaluator): texts as they are, numbers and booleans as integers (a 64-bit integer,
// which an object holds as its decimal text, too: compared as a number), date-times as
// their UTC column text with the microseconds served (DateTimeText::FormatColumn; read in the
// date-time form of the door the object was served through), and a quoted text compared with a date-time as the same
// text of the instant it names, read in the same form. A dotted name ("TargetInstance.LastName") reads the property of
// the object embedded in the first property, at any depth. ISA on __CLASS tells the object's own class; on an embedded
// object or a reference, the class of what it holds.
//
// Borrows the object, which must outlive the source. Reads only; safe on any thread the
// object may be read from.
#pragma once

#include <optional>

#include "framework/Door.h"
#include "framework/wql/WqlEvaluator.h"

class IWbemClassObject;

class WqlInstancePropertySource final : public WqlPropertySource
{
public:
    WqlInstancePropertySource(IWbemClassObject* instance, Door door) : m_instance(instance), m_door(door) {}

    // True with the value when the object (or the embedded object a dotted name leads to) has
    // the property; false when it lacks it, holds a value of no comparable type, or a step of
    // a dotted name holds no embedded object (an integer property holding a text that is no
    // whole number of its type included).
    bool GetValue(const CString& property, CDBValue& value) const override;
    // Whether the object named by the property is of the class or derives from it; false for a
    // value that holds no object; no value when a step of a dotted name is missing.
    std::optional<bool> IsA(const CString& property, const CString& className) const override;
    // Whether the object (or the embedded object a dotted name leads to) declares the property
    // boolean.
    bool IsBoolean(const CString& property) const override;
    // The UTC column text (DateTimeText::FormatColumn) of the instant the text names in the
    // door's date-time form (WMIHelper::ToUtcParts), when the object (or the embedded object a dotted name leads
    // to) declares the property a date-time; none otherwise, or for a text that names no instant.
    std::optional<CDBValue> ReadDateTime(const CString& property, const CString& text) const override;
    // Whether the object (or the embedded object a dotted name leads to) declares the property a
    // text.
    bool IsText(const CString& property) const override;

private:
    // Set at construction.
    IWbemClassObject* m_instance;
    Door m_door;
};
