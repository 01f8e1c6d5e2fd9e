// ProvixaBusJson: how the provixa host shows bus values to a person: a Variant as JSON text
// (maps as objects, lists as arrays, numbers, true/false, null for void, every other value as
// a string).
//
// Stateless; safe on any thread for values no other thread changes.
#pragma once

#include <string>

#include "platform/qpid/Variant.h"

class ProvixaBusJson
{
public:
    ProvixaBusJson() = delete;

    static std::string Json(const qpid::types::Variant& value);
    static std::string Json(const qpid::types::Variant::Map& map);
};
