#include "tools/provixa/ProvixaObjectList.h"

#include "tools/provixa/ProvixaOutput.h"

void ProvixaObjectList::Add(IWbemClassObject* object)
{
    if (m_json)
        ProvixaOutput::WriteJson(object, m_out << (m_started ? "," : "["));
    else
        ProvixaOutput::WriteText(object, m_out << (m_started ? "\n" : ""));
    m_started = true;
}

void ProvixaObjectList::End()
{
    if (m_json)
        m_out << (m_started ? "" : "[") << "]\n";
}
