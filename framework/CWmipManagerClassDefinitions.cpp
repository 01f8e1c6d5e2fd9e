#include "framework/CWmipManagerClassDefinitions.h"

#include <map>

#include "framework/objects/CCorvessaClassObject.h"
#include "framework/objects/CCorvessaMethodDescriptor.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMethodSignatures.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemRepository.h"

namespace {
const std::map<CString, CCorvessaMethodDescriptor>& ManagerMethods()
{
    static const std::map<CString, CCorvessaMethodDescriptor> methods = [] {
        CCorvessaMethodDescriptor currentUser(L"GetCurrentUser");
        currentUser.AddParameter(false, L"ReturnValue", CIM_STRING);
        std::map<CString, CCorvessaMethodDescriptor> table;
        table.emplace(L"RefreshCache", CCorvessaMethodDescriptor(L"RefreshCache"));
        table.emplace(L"GetCurrentUser", currentUser);
        return table;
    }();
    return methods;
}
}  // namespace

bool CWmipManagerClassDefinitions::IsManagerClass(const CString& className)
{
    return className.CompareNoCase(kVexletManager) == 0 || className.CompareNoCase(kFluxmereManager) == 0;
}

HRESULT CWmipManagerClassDefinitions::Fill(IWbemClassObject* definition)
{
    HRESULT hr = CWmipMethodSignatures::AddTo(ManagerMethods(), definition);
    if (FAILED(hr))
        return hr;
    return CWmipClassMapper::MarkDynamic(definition);
}

HRESULT CWmipManagerClassDefinitions::AddTo(WbemRepository& repository)
{
    for (const wchar_t* name : {kVexletManager, kFluxmereManager})
    {
        ComPtr<IWbemClassObject> definition;
        HRESULT hr = CreateWbemClass(name, nullptr, &definition);
        if (SUCCEEDED(hr))
            hr = Fill(definition.Get());
        if (SUCCEEDED(hr))
            hr = repository.PutClass(definition.Get(), WBEM_FLAG_CREATE_OR_UPDATE);
        if (FAILED(hr))
            return hr;
    }
    return WBEM_S_NO_ERROR;
}

std::unique_ptr<CCorvessaClassObject> CWmipManagerClassDefinitions::BuildForBus(const CString& className)
{
    if (!IsManagerClass(className))
        return nullptr;
    auto definition = std::make_unique<CCorvessaClassObject>(className);
    if (FAILED(Fill(definition.get())))
        return nullptr;
    return definition;
}
