#include "bus/CCorvessaQpidMethodParameter.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "bus/CCorvessaPropertyCursor.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/GenericException.h"
#include "inhouse/BntUtility/StringConversion.h"

using brontel::utility::ConvertCStringToUtf8;

void CCorvessaQpidMethodParameter::PopulateUsingVariantMapData(const ValueMap& values)
{
    m_values = values;
}

void CCorvessaQpidMethodParameter::PopulateUsingWMIObject(CCorvessaClassObject* source)
{
    m_values.clear();
    if (source == nullptr)
    {
        return;
    }
    CCorvessaPropertyCursor cursor(source, 0);
    CString name;
    _variant_t value;
    CIMTYPE type = 0;
    while (cursor.Next(name, value, type))
    {
        const long cimType = type;
        m_values[ConvertCStringToUtf8(name)] =
            CCorvessaHelper::ConvertToQpidVariant(CString(), CString(), value, cimType);
    }
}

std::unique_ptr<CCorvessaClassObject> CCorvessaQpidMethodParameter::AsWMIObject(const CString& className,
                                                                                const CString& methodName)
{
    auto object = std::make_unique<CCorvessaClassObject>();
    const std::unique_ptr<CCorvessaClassObject> signature =
        CCorvessaHelper::GetTypeInformation(className)->GetMethodParameter(methodName, m_isInput);
    if (!signature)
    {
        throw CCorvessaException(CCorvessaException::kInvalidRequestItemKey,
                                 std::string("Execute method call failed - method_name requested is not implemented."));
    }
    {
        CCorvessaPropertyCursor cursor(signature.get(), 0);
        CString name;
        _variant_t ignored;
        CIMTYPE type = 0;
        while (cursor.Next(name, ignored, type))
        {
            _variant_t value = CCorvessaQpidInstance::ConvertedValue(m_values, name, type, false, true);
            if (FAILED(object->Put(name, 0, &value, type)))
            {
                CString message;
                message.Format(L"CCorvessaQpidMethodParameter::AsWMIObject - Failed setting parameter %s.%s.",
                               methodName.GetString(), name.GetString());
                throw GenericException(message);
            }
        }
    }
    if (!m_values.empty())
    {
        CString message;
        message.Format(L"Request contains invalid parameter '%s'.",
                       brontel::utility::ConvertUtf8ToCString(m_values.begin()->first).GetString());
        throw CCorvessaException(CCorvessaException::kInvalidRequestItemKey, message);
    }
    return object;
}
