// Bnt::IR::Utility::Variant: the program's own tagged value, one of eleven alternatives held in
// a boost::variant whose index is the alternative's stored number: 0 Null, 1 bool, 2 int,
// 3 unsigned int, 4 signed 64-bit, 5 unsigned 64-bit, 6 float, 7 double, 8 string, 9 list of
// Variants, 10 map from string to Variant. The command maps sent to the hardware driver server
// are maps of these values; VariantArchive writes and reads them as Boost binary archives.
//
// A value type; not shared between threads.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <boost/variant.hpp>

namespace Bnt::IR::Utility {

class Variant
{
public:
    // The empty alternative.
    struct Null
    {
        bool operator==(const Null&) const { return true; }
        template <class Archive>
        void serialize(Archive&, const unsigned int)
        {
        }
    };
    using List = std::vector<Variant>;
    using Map = std::map<std::string, Variant>;
    using Value = boost::variant<Null, bool, int, unsigned int, std::int64_t, std::uint64_t, float, double, std::string,
                                 List, Map>;
    // The number of alternatives; a stored index must lie below it.
    static constexpr int kAlternativeCount = 11;

    Variant() = default;
    Variant(Null value) : m_value(value) {}
    Variant(bool value) : m_value(value) {}
    Variant(int value) : m_value(value) {}
    Variant(unsigned int value) : m_value(value) {}
    Variant(std::int64_t value) : m_value(value) {}
    Variant(std::uint64_t value) : m_value(value) {}
    Variant(float value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(std::string value) : m_value(std::move(value)) {}
    Variant(const char* value) : m_value(std::string(value)) {}
    Variant(List value) : m_value(std::move(value)) {}
    Variant(Map value) : m_value(std::move(value)) {}

    // The stored index of the held alternative (0..10).
    int Which() const { return m_value.which(); }
    const Value& GetValue() const { return m_value; }
    Value& GetValue() { return m_value; }

    bool operator==(const Variant& other) const { return m_value == other.m_value; }

    template <class Archive>
    void serialize(Archive& archive, const unsigned int)
    {
        archive& m_value;
    }

private:
    Value m_value;
};

}  // namespace Bnt::IR::Utility
