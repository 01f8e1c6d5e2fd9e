// VisitRecordsTest: the base of the end-to-end tests of the visit family and the service
// classes. Tests run as the administrator (every permission) unless they say otherwise, create
// the visits they change, and call methods with in-parameters through the door.
#pragma once

#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include <string>
#include <utility>
#include <vector>

namespace records_test {
class VisitRecordsTest : public PersonRecordsTest
{
public:
    // The visit desk: segment 1 only; may view persons and visitors, view, add and modify visits,
    // and view guard tours but not launch them; logs in on the bus as "visitdesk" with the demo
    // operator's password.
    static constexpr wchar_t kVisitDesk[] = L"S-1-5-21-1004336348-1177238915-682003330-4195";
    static constexpr char kVisitDeskLogon[] = "visitdesk";

protected:
    void SetUp() override;

    // A new visit of the visitor to the host (scheduled today 09:00-17:00 UTC unless given);
    // its ID, 0 when the put failed.
    long NewVisit(long hostId, long visitorId);
    // ExecMethod (synchronous) on the path with the in-parameters set (numbers as VT_I4, texts
    // as BSTR); the out-parameters, when there are any, are the reply's one object.
    e2e::Reply ExecWith(const std::wstring& path, const std::wstring& method,
                        const std::vector<std::pair<const wchar_t*, _variant_t>>& parameters);
    // The number of rows of the table the condition selects.
    static long Count(const std::string& table, const std::string& where);
};
}  // namespace records_test
