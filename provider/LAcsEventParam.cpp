#include "provider/LAcsEventParam.h"

CString LAcsEventParam::GetDescription() const
{
    const CheckedMutexLock guard(m_lock);
    return m_description;
}

void LAcsEventParam::SetDescription(const CString& value)
{
    const CheckedMutexLock guard(m_lock);
    m_description = value;
}

LONG LAcsEventParam::GetValue() const
{
    const CheckedMutexLock guard(m_lock);
    return m_value;
}

void LAcsEventParam::SetValue(LONG value)
{
    const CheckedMutexLock guard(m_lock);
    m_value = value;
}

LONG LAcsEventParam::GetID() const
{
    const CheckedMutexLock guard(m_lock);
    return m_id;
}

void LAcsEventParam::SetID(LONG value)
{
    const CheckedMutexLock guard(m_lock);
    m_id = value;
}
