#include "inhouse/BntUserDb/CVisitEmailLink.h"

CVisitEmailLink::CVisitEmailLink(LONG visitId, LONG recipientNumber)
    : m_visitId(visitId), m_recipientNumber(recipientNumber)
{
}

bool CVisitEmailLink::IsValidEmailAddress(const CString& address)
{
    if (address.IsEmpty() || address.GetLength() > kMaxAddressLength)
    {
        return false;
    }
    for (int i = 0; i < address.GetLength(); ++i)
    {
        const wchar_t character = address[i];
        if (character < 0x20 || character == 0x7F || (character >= 0x80 && character < 0xA0))
        {
            return false;
        }
    }
    return true;
}

bool CVisitEmailLink::SetEmailAddress(const CString& address)
{
    if (!IsValidEmailAddress(address))
    {
        return false;
    }
    m_address = address;
    return true;
}
