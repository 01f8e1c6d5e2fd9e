// ProvixaMethodArgument: the command-line forms of the values a single NAME=VALUE cannot carry
// as plain text: an embedded object, CLASS{NAME=VALUE,NAME="VALUE"} (an instance of the class
// from the service, each property converted by its CIM type, a quoted value holding commas,
// each property named once), and an array of numbers,
// VALUE,VALUE (one-dimensional, 32-bit integer elements). Every other type goes to the scalar
// conversion it is given.
//
// Static functions only; one command at a time.
#pragma once

#include <cstddef>
#include <string>

#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"

class IWbemServices;

class ProvixaMethodArgument
{
public:
    using ScalarConversion = bool (*)(CIMTYPE type, const std::string& text, _variant_t* value, std::string* error);

    // Where a binary value is given instead of the command line: the bus, in Base64; a photo by
    // its own road, since its class takes no modify.
    static constexpr char kBinaryValueRoad[] =
        "a binary value is given in Base64 through the bus: provixa bus modify CLASS KEY=VALUE NAME=BASE64; a photo "
        "(Bnt_MultimediaObject, which takes no modify) is replaced by a delete, then an add: provixa bus delete "
        "Bnt_MultimediaObject PersonID=1 ObjectType=1 DataType=0, then provixa bus add Bnt_MultimediaObject "
        "PersonID=1 ObjectType=1 DataType=0 Data=BASE64";

    // The most elements one array argument may hold, on either door, and the refusal of more.
    static constexpr std::size_t kMaxElements = 4096;
    static std::string TooManyElements();

    ProvixaMethodArgument() = delete;

    // The VARIANT for `text` as a value of `type`: true with *value set; false with *error
    // when the text does not fit (a malformed object or array, an unknown class or property, an
    // element the scalar conversion refuses).
    static bool ValueFor(IWbemServices* services, CIMTYPE type, const std::string& text, _variant_t* value,
                         std::string* error, ScalarConversion scalar);
};
