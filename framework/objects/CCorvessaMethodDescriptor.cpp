#include "framework/objects/CCorvessaMethodDescriptor.h"

void CCorvessaMethodDescriptor::AddParameter(bool isInput, const CString& name, LONG cimType)
{
    (isInput ? m_inParameters : m_outParameters).emplace_back(name, cimType);
}
