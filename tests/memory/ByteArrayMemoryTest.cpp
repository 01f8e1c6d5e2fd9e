// A byte array is held and printed as bytes: converting and printing a 1 MiB value holds about
// its size at most twice over, never one object per byte nor its whole text. The allocations are
// counted through this program's replacement of operator new and the task allocator's watch
// (BSTRs and the other COM blocks come from there, not from operator new), on this thread only
// while a count runs.
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaHelper.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaLineWriter.h"
#include "tools/provixa/ProvixaOutput.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {
// What a step allocated: its calls, and the most it held at once beyond what it started with.
struct AllocationCount
{
    std::size_t calls = 0;
    std::size_t held = 0;
    std::size_t peak = 0;
};
thread_local AllocationCount* t_count = nullptr;

// Each block carries its size before it, so that a release while counting is subtracted.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size)
{
    auto* block = static_cast<std::byte*>(std::malloc(size + kHeader));
    if (block == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    if (AllocationCount* count = t_count)
    {
        ++count->calls;
        count->held += size;
        count->peak = std::max(count->peak, count->held);
    }
    return block + kHeader;
}

void Release(void* given) noexcept
{
    if (given == nullptr)
        return;
    std::byte* block = static_cast<std::byte*>(given) - kHeader;
    if (AllocationCount* count = t_count)
        count->held -= std::min(count->held, *reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

// The task allocator's blocks, counted by the size the system's allocator gives them.
class TaskMemCount final : public CoTaskMemWatch
{
public:
    void Allocated(LPVOID block) override
    {
        if (AllocationCount* count = t_count)
        {
            ++count->calls;
            count->held += malloc_usable_size(block);
            count->peak = std::max(count->peak, count->held);
        }
    }
    void Freed(LPVOID block) override
    {
        if (AllocationCount* count = t_count)
            count->held -= std::min(count->held, malloc_usable_size(block));
    }
};

// What one step allocates through operator new and the task allocator on this thread.
AllocationCount Count(const std::function<void()>& step)
{
    TaskMemCount taskMem;
    AllocationCount count;
    WatchCoTaskMem(&taskMem);
    t_count = &count;
    step();
    t_count = nullptr;
    WatchCoTaskMem(nullptr);
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
// The nothrow forms too: under the address sanitizer they would otherwise be the sanitizer's,
// and a block one of them gave would reach Release.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return Allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept
{
    return operator new(size, nothrow);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    Release(block);
}
void operator delete(void* block) noexcept
{
    Release(block);
}
void operator delete[](void* block) noexcept
{
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    Release(block);
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

// The bytes' numbers between open and close, separated as given.
std::string Numbers(const std::string& bytes, const char* open, const char* separator, const char* close)
{
    std::string text = open;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text += (i == 0 ? "" : separator) + std::to_string(static_cast<unsigned char>(bytes[i]));
    return text + close;
}

// What printing the instance into a stream whose buffer is made beforehand allocates, and the
// text that follows `marker` for the length of `expected`.
AllocationCount Printed(const std::function<void(std::ostream&)>& print, const std::string& marker,
                        const std::string& expected, std::string& found)
{
    std::ostringstream out;
    out << std::string(expected.size() + 4096, ' ');
    out.seekp(0);
    const AllocationCount count = Count([&] { print(out); });
    const std::string printed = out.str();
    const std::size_t at = printed.find(marker);
    found = at == std::string::npos ? std::string() : printed.substr(at + marker.size(), expected.size());
    return count;
}

// An instance of the class with the binary property, for a value to be put into.
ComPtr<IWbemClassObject> KeyInstance()
{
    ComPtr<IWbemClassObject> keyClass;
    EXPECT_EQ(CreateWbemClass(L"Bnt_BadgeFIPS201", nullptr, &keyClass), WBEM_S_NO_ERROR);
    EXPECT_EQ(keyClass->Put(L"TWICPrivacyKey", 0, nullptr, CIM_UINT8 | CIM_FLAG_ARRAY), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> instance;
    EXPECT_EQ(keyClass->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    return instance;
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
    const ComPtr<IWbemClassObject> instance = KeyInstance();
    ASSERT_NE(instance, nullptr);
    _variant_t put = value;
    ASSERT_EQ(instance->Put(L"TWICPrivacyKey", 0, &put, 0), WBEM_S_NO_ERROR);
    const std::string json = Numbers(bytes, "[", ",", "]");
    std::string found;
    const AllocationCount wmiJson = Printed([&](std::ostream& out) { ProvixaOutput::WriteJson(instance.Get(), out); },
                                            "\"TWICPrivacyKey\":", json, found);
    EXPECT_EQ(found, json);
    const std::string mof = Numbers(bytes, "{", ", ", "};\n");
    const AllocationCount wmiText = Printed([&](std::ostream& out) { ProvixaOutput::WriteText(instance.Get(), out); },
                                            "\tTWICPrivacyKey = ", mof, found);
    EXPECT_EQ(found, mof);

    // At most twice the value held at once, in blocks of more than a hundred bytes on average:
    // one object or BSTR per byte would make a million blocks, a text made whole several times
    // the value.
    struct Road
    {
        const char* name;
        AllocationCount count;
        std::size_t limit;
    };
    for (const Road& road : {Road{"to the bus", toBus, 2 * kValueBytes}, Road{"bus JSON", busPrint, 2 * base64.size()},
                             Road{"WMI JSON", wmiJson, 2 * kValueBytes}, Road{"WMI text", wmiText, 2 * kValueBytes}})
    {
        EXPECT_LT(road.count.calls, kValueBytes / 128) << road.name;
        EXPECT_LE(road.count.peak, road.limit) << road.name;
    }
}

// The read road from the database: the row's bytes go into the instance from where the row holds
// them, and the recordset lets them go once it moves to the next row. Counted here: the row's
// copy, the instance's array and the copy a put makes of it; never a copy on the way, and after
// the move only what the instance holds.
TEST(ByteArrayMemory, ARecordsetPutsAMegabyteWithoutACopyAndLetsItGoAtTheNextRow)
{
    const support::TemporaryHome home;
    CBntDatabase db;
    db.Open(L"sqlite:bytes.db");
    const std::string bytes = Megabyte();
    db.ExecuteSQL(L"CREATE TABLE KEYS (ID INTEGER PRIMARY KEY, DATA BLOB)");
    db.ExecuteSQL(L"INSERT INTO KEYS VALUES (1, ?), (2, ?)",
                  {CDBValue::FromBytes(std::vector<BYTE>(bytes.begin(), bytes.end())), CDBValue::FromBytes({7, 9})});
    const ComPtr<IWbemClassObject> instance = KeyInstance();
    ASSERT_NE(instance, nullptr);
    CDynamicRecordset set(&db);
    set.SetTable(L"KEYS");
    set.AddColumnToSet(L"ID");
    set.AddColumnToSet(L"DATA");
    set.AddOrderBy(L"ID");
    std::vector<BYTE> next;
    const AllocationCount read = Count([&] {
        set.OpenForwardOnly();
        EXPECT_EQ(WMIHelper::PutByteArray(instance.Get(), L"TWICPrivacyKey", set.GetBytesView(1)), WBEM_S_NO_ERROR);
        set.MoveNext();
        next = set.GetBytes(1);
    });
    EXPECT_EQ(next, (std::vector<BYTE>{7, 9}));
    _variant_t put;
    ASSERT_EQ(instance->Get(L"TWICPrivacyKey", 0, &put, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(put.vt, VT_ARRAY | VT_UI1);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(put.parray, &data), S_OK);
    EXPECT_EQ(std::string(static_cast<const char*>(data), bytes.size()), bytes);
    SafeArrayUnaccessData(put.parray);

    constexpr std::size_t kSlack = 64 * 1024;
    EXPECT_LT(read.calls, kValueBytes / 128);
    EXPECT_LE(read.peak, 3 * kValueBytes + kSlack);
    EXPECT_LE(read.held, kValueBytes + kSlack);
}

// The bus's `media` of a megabyte, run in the host's shell as a person runs it: what it holds
// beyond the same command on a photo without a value stays within three times what it prints:
// the instance's copy goes once read, the bus's bytes are moved out, never copied, and let go once
// their Base64 stands, which is printed as it stands, never copied into a longer text.
TEST(ByteArrayMemory, MediaPrintsAMegabyteHoldingAtMostThreeTimesWhatItPrints)
{
    const support::TemporaryHome home;
    const std::filesystem::path database = home.Path() / "provixa.db";
    support::InstallationDatabase::CreateDemo(database);
    const std::string bytes = Megabyte();
    std::string hex;
    for (const char byte : bytes)
    {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        hex += kDigits[static_cast<unsigned char>(byte) >> 4];
        hex += kDigits[static_cast<unsigned char>(byte) & 15];
    }
    const auto media = [&](const std::string& value, std::string& printed) {
        support::InstallationDatabase::Execute(database,
                                               "INSERT OR REPLACE INTO MMOBJS (EMPID, OBJECT, TYPE, BNT_BLOB) "
                                               "VALUES (1, 64, 0, " +
                                                   value + ");");
        std::istringstream in("login sa\nmedia 1 64 0\n");
        std::ostringstream out;
        out << std::string(2 * kValueBytes, ' ');
        out.seekp(0);
        std::ostringstream err;
        ProvixaLineWriter notes(err, true);
        int status = -1;
        const AllocationCount count =
            Count([&] { status = ProvixaBusHost::Run({"shell"}, false, in, out, err, notes); });
        EXPECT_EQ(status, 0) << err.str();
        printed = out.str();
        printed.erase(printed.find_last_not_of(' ') + 1);
        return count;
    };
    ASSERT_EQ(setenv("PROVIXA_PASSWORD", "sa-demo", 1), 0);
    std::string printed;
    media("NULL", printed);  // the process's own first-use costs
    const AllocationCount idle = media("NULL", printed);
    EXPECT_NE(printed.find("{\"found\":false}"), std::string::npos) << printed;
    const AllocationCount loaded = media("X'" + hex + "'", printed);
    unsetenv("PROVIXA_PASSWORD");
    const std::string base64 = ostrum::utils::StringUtils::base64Encode(
        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), true);
    const std::string answer = "{\"content_type\":\"application/octet-stream\",\"data_base64\":\"" + base64 +
                               "\",\"found\":true,\"size\":" + std::to_string(kValueBytes) + "}\n";
    ASSERT_GE(printed.size(), answer.size());
    EXPECT_EQ(printed.substr(printed.size() - answer.size()), answer);
    EXPECT_LT(loaded.calls - idle.calls, kValueBytes / 128);
    // The read of the row itself takes the most: the database's bytes, the row's and the
    // instance's (the test above); the command adds no more than that.
    constexpr std::size_t kSlack = 64 * 1024;
    EXPECT_LE(loaded.peak - idle.peak, 3 * answer.size() + kSlack)
        << "above the idle command: " << loaded.peak - idle.peak;
}
}  // namespace
