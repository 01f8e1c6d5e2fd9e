// SoftwareEventType: the record kinds a software event carries (its packet's event type), as
// numbers the senders fix. A class whose records arrive as software events declares its kind
// with the class (DeclareSoftwareEvent in schema/); the registry answers which class that is.
#pragma once

// The record kinds of a software event (the packet's event type). Which class a kind's records
// belong to is declared with the class (RegisterSoftwareEventType), never here.
enum SoftwareEventType : int
{
    SoftwareEventCardholder = 2,
    SoftwareEventVisitor = 3,
    SoftwareEventBadge = 4,
    SoftwareEventAccount = 5,
    SoftwareEventMultimediaObject = 6,
    SoftwareEventVisit = 7,
    SoftwareEventVisitEvent = 8
};
