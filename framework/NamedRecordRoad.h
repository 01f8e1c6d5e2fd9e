// NamedRecordRoad: who answers a record that a write or a method names (a reference, an
// argument) when it does not exist or lies beyond the caller's segments. Declared with the
// record (schema/SchemaDeclaration.h) and held by its CWMITypeInfo::NamedRecord; a plain value,
// safe on any thread.
#pragma once

enum class NamedRecordRoad
{
    // No check of the mapper's own looks for the record: the framework refuses it right behind the
    // permission step of the write or the method (CWmipClassMapper::RequireVisibleNamedRecords),
    // 0x80041008 naming the last name, a missing and a hidden record alike.
    kFramework,
    // The mapper's own road looks the record up, as the caller: a hidden record meets the answer
    // a missing one gets there (its code, its text, its log lines). The framework does not check it.
    kMapper,
    // The mapper's own road looks the record up and refuses one beyond the caller's segments
    // with its own segment refusal (0x80041003); a missing one takes the road's own answer.
    kMapperSegmentRefusal,
};
