// PersonRecordsTest: the base of the end-to-end tests of the person-centred record mappers. On
// the door's demo installation it adds, once per program, callers of its own (each linked to a
// Windows SID) and turns cardholder and visitor segmentation on; tests then create the records
// they change, so that they do not depend on one another.
#pragma once

#include "tests/e2e/DoorTest.h"

#include <string>

namespace records_test {
// The callers of these tests.
struct RecordsCallers
{
    // All segments; every person, account, multimedia and secondary-segment right.
    static constexpr wchar_t kRecordsAdmin[] = L"S-1-5-21-1004336348-1177238915-682003330-3001";
    // The same rights, segment 1 (Headquarters) only.
    static constexpr wchar_t kHeadquartersClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3002";
    // All segments; may view visitors and accounts only.
    static constexpr wchar_t kVisitorClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3003";
    // All segments; may view persons and accounts, change nothing.
    static constexpr wchar_t kViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3004";
    // Segment 1; may use the provider and view directories, nothing of persons.
    static constexpr wchar_t kNobody[] = L"S-1-5-21-1004336348-1177238915-682003330-3005";
    // All segments; may view visitors, and holds the first but not the second right that viewing
    // cardholders takes.
    static constexpr wchar_t kHalfViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3006";
};

class PersonRecordsTest : public e2e::DoorTest
{
public:
    static void SetUpTestSuite();

protected:
    // Runs SQL on the installation's database (its own connection); fails the test on an error.
    static void ExecSql(const std::string& sql);
    // The first column of the first row of a query, "" without rows.
    static std::string Scalar(const std::string& sql);
    // The key of a written path's one integer key ("Bnt_Cardholder.ID=6" gives 6); 0 when the
    // reply has no path.
    static long KeyOf(const e2e::Reply& reply);

    // Creates a cardholder (or a visitor) in the segment as the records administrator and
    // answers its ID; fails the test when the put fails.
    long NewPerson(const wchar_t* className, const wchar_t* lastName, long segment);
};
}  // namespace records_test
