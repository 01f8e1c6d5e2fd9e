// A byte array is held and printed as bytes: converting and printing a 1 MiB value allocates a
// few blocks of about its size, never one object per byte nor a text grown by doubling. The
// allocations are counted through this program's replacement of operator new, on this thread only
// while a count runs.
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaHelper.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "tools/provixa/ProvixaOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <sstream>
#include <string>

namespace {
struct AllocationCount
{
    std::size_t calls = 0;
    std::size_t bytes = 0;
};
thread_local AllocationCount* t_count = nullptr;

void* Allocate(std::size_t size)
{
    if (t_count != nullptr)
    {
        ++t_count->calls;
        t_count->bytes += size;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

// What one step allocates through operator new on this thread.
AllocationCount Count(const std::function<void()>& step)
{
    AllocationCount count;
    t_count = &count;
    step();
    t_count = nullptr;
    return count;
}
}  // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace {
using qpid::types::Variant;
constexpr std::size_t kValueBytes = 1 << 20;

// A megabyte whose bytes take one, two and three digits.
std::string Megabyte()
{
    std::string bytes(kValueBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 256) % 256);
    return bytes;
}

_variant_t ByteArray(const std::string& bytes)
{
    _variant_t value;
    value.vt = VT_ARRAY | VT_UI1;
    value.parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(value.parray, &data), S_OK);
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    SafeArrayUnaccessData(value.parray);
    return value;
}

std::string NumbersJson(const std::string& bytes)
{
    std::string json = "[";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        json += (i == 0 ? "" : ",") + std::to_string(static_cast<unsigned char>(bytes[i]));
    return json + "]";
}

TEST(ByteArrayMemory, AMegabyteIsConvertedAndPrintedAsBytesOnEveryRoad)
{
    const std::string bytes = Megabyte();
    const _variant_t value = ByteArray(bytes);

    // The bus door: the WMI value becomes the bus's {"content_type", "data"} map.
    Variant busValue;
    const AllocationCount toBus = Count([&] {
        busValue = CCorvessaHelper::ConvertToQpidVariant(L"Bnt_BadgeFIPS201", L"TWICPrivacyKey", value,
                                                         CIM_UINT8 | CIM_FLAG_ARRAY);
    });
    ASSERT_EQ(busValue.getType(), qpid::types::VAR_MAP);
    EXPECT_EQ(busValue.asMap().at("data").getString(), bytes);
    EXPECT_EQ(busValue.asMap().at("content_type").getString(), "application/octet-stream");

    // The bus JSON of a value in Base64, as the host prints a page.
    const std::string base64 = ostrum::utils::StringUtils::base64Encode(
        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), true);
    const Variant printable(Variant::Map{{"data", Variant(base64)}});
    std::string busJson;
    const AllocationCount busPrint = Count([&] { busJson = QpidTypeConverter::ToJson(printable); });
    EXPECT_EQ(busJson, "{\"data\":\"" + base64 + "\"}");

    // The WMI door's JSON of an instance holding the value.
    ComPtr<IWbemClassObject> keyClass;
    ASSERT_EQ(CreateWbemClass(L"Bnt_BadgeFIPS201", nullptr, &keyClass), WBEM_S_NO_ERROR);
    ASSERT_EQ(keyClass->Put(L"TWICPrivacyKey", 0, nullptr, CIM_UINT8 | CIM_FLAG_ARRAY), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> instance;
    ASSERT_EQ(keyClass->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    _variant_t put = value;
    ASSERT_EQ(instance->Put(L"TWICPrivacyKey", 0, &put, 0), WBEM_S_NO_ERROR);
    const std::string expected = NumbersJson(bytes);
    std::ostringstream out;
    // The stream's own buffer is made before the count: what is counted is the printing.
    out << std::string(expected.size() + 4096, ' ');
    out.seekp(0);
    const AllocationCount wmiPrint = Count([&] { ProvixaOutput::WriteJson(instance.Get(), out); });
    const std::string printed = out.str();
    const std::string marker = "\"TWICPrivacyKey\":";
    const std::size_t at = printed.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(printed.substr(at + marker.size(), expected.size()), expected);

    // A few blocks each, of about the value's size at most twice over: one object per byte would
    // make a million, a text grown by doubling several times the value.
    struct Road
    {
        const char* name;
        AllocationCount count;
        std::size_t limit;
    };
    for (const Road& road : {Road{"to the bus", toBus, 2 * kValueBytes}, Road{"bus JSON", busPrint, 2 * base64.size()},
                             Road{"WMI JSON", wmiPrint, 2 * kValueBytes}})
    {
        EXPECT_LT(road.count.calls, 64u) << road.name;
        EXPECT_LE(road.count.bytes, road.limit) << road.name;
    }
}
}  // namespace
