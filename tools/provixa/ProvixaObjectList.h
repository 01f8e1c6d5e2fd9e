// ProvixaObjectList: prints the objects of an enumeration or query as they arrive, in the form
// ProvixaOutput::List gives the whole list: MOF texts one after another with an empty line
// between, or one JSON array. Nothing is printed before the first object, so a request that
// fails before answering any leaves the output untouched; End closes the list.
//
// One per list, used by one thread at a time; the stream must outlive it.
#pragma once

#include "platform/wmi/IWbemClassObject.h"

#include <ostream>

class ProvixaObjectList
{
public:
    ProvixaObjectList(std::ostream& out, bool json) : m_out(out), m_json(json) {}
    ProvixaObjectList(const ProvixaObjectList&) = delete;
    ProvixaObjectList& operator=(const ProvixaObjectList&) = delete;

    // Prints the next object.
    void Add(IWbemClassObject* object);
    // Ends the list: a JSON array is closed (an empty one printed whole).
    void End();
    // True once an object was printed.
    bool Started() const { return m_started; }

private:
    // Set at construction.
    std::ostream& m_out;
    const bool m_json;

    bool m_started = false;
};
