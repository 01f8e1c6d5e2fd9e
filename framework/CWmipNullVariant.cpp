#include "framework/CWmipNullVariant.h"

VARIANT CWmipNullVariant::Get()
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_NULL;
    return value;
}
