#include "Libraries/BntIRUtility/VariantArchive.h"

#include <cstring>
#include <istream>
#include <string_view>
#include <sstream>
#include <ostream>
#include <streambuf>
#include <utility>

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/binary_iarchive.hpp>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/archive/basic_archive.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/detail/stack_constructor.hpp>
#include <boost/serialization/item_version_type.hpp>
#include <boost/serialization/library_version_type.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/split_free.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>

namespace Bnt::IR::Utility {

namespace {

// Reads a caller's bytes in place and tells how many are left.
class ByteSource : public std::streambuf
{
public:
    explicit ByteSource(std::span<const std::uint8_t> bytes)
    {
        // std::streambuf wants a mutable pointer; the bytes are only ever read.
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        setg(begin, begin, begin + bytes.size());
    }
    std::size_t BytesLeft() const { return static_cast<std::size_t>(egptr() - gptr()); }
};

// The per-archive note of the source being read, found again by the loaders below.
struct LoadSource
{
    const ByteSource* source = nullptr;
};
// The key of LoadSource among the archive's helpers.
const int kLoadSourceKey = 0;

template <class Archive>
std::size_t BytesLeft(Archive& archive)
{
    const LoadSource& note = archive.template get_helper<LoadSource>(const_cast<int*>(&kLoadSourceKey));
    return note.source != nullptr ? note.source->BytesLeft() : 0;
}

[[noreturn]] void Refuse(boost::archive::archive_exception::exception_code code)
{
    throw boost::archive::archive_exception(code);
}

// A count the stream names for what follows; refused when more than the bytes left could hold.
template <class Archive>
std::size_t CheckedCount(Archive& archive, std::size_t count)
{
    if (count > BytesLeft(archive))
        Refuse(boost::archive::archive_exception::input_stream_error);
    return count;
}

template <class Archive>
void LoadString(Archive& archive, std::string& text)
{
    // The binary archive's string: its length as a std::size_t, then the bytes.
    std::size_t length = 0;
    archive >> length;
    text.resize(CheckedCount(archive, length));
    if (length > 0)
        archive.load_binary(text.data(), length);
}

// The count and item version that Boost writes ahead of a collection's items.
template <class Archive>
std::size_t LoadCollectionHeader(Archive& archive, boost::serialization::item_version_type* itemVersion)
{
    boost::serialization::collection_size_type count;
    archive >> count;
    *itemVersion = boost::serialization::item_version_type(0);
    if (boost::serialization::library_version_type(3) < archive.get_library_version())
        archive >> *itemVersion;
    return CheckedCount(archive, count);
}

// Loads the alternative T of the stored index into the value.
template <class T, class Archive>
void LoadAlternative(Archive& archive, Variant::Value& value)
{
    T loaded{};
    if constexpr (std::is_same_v<T, std::string>)
    {
        LoadString(archive, loaded);
    }
    else if constexpr (std::is_same_v<T, bool>)
    {
        // A bool is one byte, 0 or 1; any other byte is refused rather than read as a bool.
        unsigned char byte = 0;
        archive >> byte;
        if (byte > 1)
            Refuse(boost::archive::archive_exception::input_stream_error);
        loaded = byte != 0;
    }
    else
    {
        archive >> loaded;
    }
    value = std::move(loaded);
}

}  // namespace

// Lists and maps are saved by Boost's collection code and read back by ours, which checks the
// count first; both run inside Boost's object handling, so class information is written and
// read around them as for any class.
template <class Archive>
void save(Archive& archive, const Variant::List& list, const unsigned int version)
{
    boost::serialization::save(archive, list, version);
}

template <class Archive>
void load(Archive& archive, Variant::List& list, const unsigned int)
{
    boost::serialization::item_version_type itemVersion(0);
    const std::size_t count = LoadCollectionHeader(archive, &itemVersion);
    Variant::List loaded;
    loaded.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        Variant item;
        archive >> item;
        loaded.push_back(std::move(item));
        archive.reset_object_address(&loaded.back(), &item);
    }
    list = std::move(loaded);
}

template <class Archive>
void serialize(Archive& archive, Variant::List& list, const unsigned int version)
{
    boost::serialization::split_free(archive, list, version);
}

template <class Archive>
void save(Archive& archive, const Variant::Map& map, const unsigned int version)
{
    boost::serialization::save(archive, map, version);
}

template <class Archive>
void load(Archive& archive, Variant::Map& map, const unsigned int)
{
    boost::serialization::item_version_type itemVersion(0);
    const std::size_t count = LoadCollectionHeader(archive, &itemVersion);
    Variant::Map loaded;
    auto hint = loaded.begin();
    for (std::size_t i = 0; i < count; ++i)
    {
        // Each entry as Boost writes it: a std::pair object of key and value.
        boost::serialization::detail::stack_construct<Archive, Variant::Map::value_type> entry(archive, itemVersion);
        archive >> entry.reference();
        hint = loaded.insert(hint, entry.reference());
        archive.reset_object_address(&hint->second, &entry.reference().second);
        ++hint;
    }
    map = std::move(loaded);
}

template <class Archive>
void serialize(Archive& archive, Variant::Map& map, const unsigned int version)
{
    boost::serialization::split_free(archive, map, version);
}

// A map entry: Boost's pair on saving; on loading the key's length is checked first.
template <class Archive>
void serialize(Archive& archive, Variant::Map::value_type& entry, const unsigned int version)
{
    if constexpr (Archive::is_saving::value)
    {
        boost::serialization::serialize(archive, entry, version);
    }
    else
    {
        LoadString(archive, const_cast<std::string&>(entry.first));
        archive >> entry.second;
    }
}

// The boost::variant member, saved as Boost saves a variant: the index, then the held value.
template <class Archive>
void save(Archive& archive, const Variant::Value& value, const unsigned int)
{
    const int which = value.which();
    archive << which;
    boost::apply_visitor([&archive](const auto& held) { archive << held; }, value);
}

// Read back with the index checked first: nothing is constructed for an unknown index.
template <class Archive>
void load(Archive& archive, Variant::Value& value, const unsigned int)
{
    int which = -1;
    archive >> which;
    switch (which)
    {
    case 0:
        return LoadAlternative<Variant::Null>(archive, value);
    case 1:
        return LoadAlternative<bool>(archive, value);
    case 2:
        return LoadAlternative<int>(archive, value);
    case 3:
        return LoadAlternative<unsigned int>(archive, value);
    case 4:
        return LoadAlternative<std::int64_t>(archive, value);
    case 5:
        return LoadAlternative<std::uint64_t>(archive, value);
    case 6:
        return LoadAlternative<float>(archive, value);
    case 7:
        return LoadAlternative<double>(archive, value);
    case 8:
        return LoadAlternative<std::string>(archive, value);
    case 9:
        return LoadAlternative<Variant::List>(archive, value);
    case 10:
        return LoadAlternative<Variant::Map>(archive, value);
    default:
        Refuse(boost::archive::archive_exception::unsupported_version);
    }
}

template <class Archive>
void serialize(Archive& archive, Variant::Value& value, const unsigned int version)
{
    boost::serialization::split_free(archive, value, version);
}

std::vector<std::uint8_t> VariantArchive::Save(const Variant::Map& map)
{
    std::string bytes;
    {
        std::ostringstream stream(std::ios::binary);
        boost::archive::binary_oarchive archive(stream);
        archive << map;
        bytes = stream.str();
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void VariantArchive::Load(std::span<const std::uint8_t> bytes, Variant::Map* map)
{
    // The archive opens with the signature text behind its length: checked here, since the
    // archive itself would size the text from whatever length the bytes name.
    const std::string_view signature = boost::archive::BOOST_ARCHIVE_SIGNATURE();
    std::size_t length = 0;
    if (bytes.size() < sizeof(length) + signature.size())
        Refuse(boost::archive::archive_exception::invalid_signature);
    std::memcpy(&length, bytes.data(), sizeof(length));
    if (length != signature.size() ||
        std::memcmp(bytes.data() + sizeof(length), signature.data(), signature.size()) != 0)
        Refuse(boost::archive::archive_exception::invalid_signature);

    ByteSource source(bytes);
    std::istream stream(&source);
    try
    {
        boost::archive::binary_iarchive archive(stream);
        archive.template get_helper<LoadSource>(const_cast<int*>(&kLoadSourceKey)).source = &source;
        Variant::Map loaded;
        archive >> loaded;
        *map = std::move(loaded);
    }
    catch (const std::ios_base::failure&)
    {
        Refuse(boost::archive::archive_exception::input_stream_error);
    }
}

}  // namespace Bnt::IR::Utility
