// The sink behind the service's synchronous calls and the host's streamed lists: it keeps the
// objects, or hands each to a consumer as it arrives and keeps none; a consumer's failure stops
// the batch and is the answer.
#include "platform/wmi/WbemCollectingSink.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
std::vector<ComPtr<IWbemClassObject>> Instances(int count)
{
    ComPtr<IWbemClassObject> definition;
    EXPECT_EQ(CreateWbemClass(L"Bnt_Note", nullptr, &definition), WBEM_S_NO_ERROR);
    std::vector<ComPtr<IWbemClassObject>> instances(static_cast<std::size_t>(count));
    for (ComPtr<IWbemClassObject>& one : instances)
        EXPECT_EQ(definition->SpawnInstance(0, &one), WBEM_S_NO_ERROR);
    return instances;
}

std::vector<IWbemClassObject*> Raw(const std::vector<ComPtr<IWbemClassObject>>& objects)
{
    std::vector<IWbemClassObject*> raw;
    for (const ComPtr<IWbemClassObject>& one : objects)
        raw.push_back(one.Get());
    return raw;
}
}  // namespace

TEST(WbemCollectingSink, KeepsEveryBatchInOrderOrHandsEachObjectOnAndKeepsNone)
{
    const std::vector<ComPtr<IWbemClassObject>> objects = Instances(5);
    std::vector<IWbemClassObject*> raw = Raw(objects);

    const ComPtr<WbemCollectingSink> keeping = WbemCollectingSink::Create();
    for (std::size_t at = 0; at < raw.size(); at += 2)
        ASSERT_EQ(keeping->Indicate(static_cast<LONG>(std::min<std::size_t>(2, raw.size() - at)), &raw[at]),
                  WBEM_S_NO_ERROR);
    EXPECT_EQ(Raw(keeping->Objects()), raw);

    std::vector<IWbemClassObject*> handed;
    const ComPtr<WbemCollectingSink> handing = WbemCollectingSink::Create([&](IWbemClassObject* object) {
        handed.push_back(object);
        return handed.size() == 4 ? WBEM_E_FAILED : WBEM_S_NO_ERROR;
    });
    ASSERT_EQ(handing->Indicate(3, raw.data()), WBEM_S_NO_ERROR);
    EXPECT_TRUE(handing->Objects().empty());
    // The consumer's failure stops the batch: the fifth object is never handed on.
    EXPECT_EQ(handing->Indicate(2, &raw[3]), WBEM_E_FAILED);
    EXPECT_EQ(handed, (std::vector<IWbemClassObject*>{raw[0], raw[1], raw[2], raw[3]}));
    EXPECT_EQ(handing->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(handing->Indicate(1, raw.data()), WBEM_E_INVALID_OPERATION);
    EXPECT_EQ(handed.size(), 4u);
}
