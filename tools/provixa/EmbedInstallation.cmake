# Writes OUTPUT: the definitions of EmbeddedInstallation::SchemaSql and ::DemoSql holding the
# bytes of SCHEMA and DEMO (run with cmake -P at build time).
function(embed_bytes file variable)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  set(${variable} "${bytes}" PARENT_SCOPE)
endfunction()

embed_bytes("${SCHEMA}" schema_bytes)
embed_bytes("${DEMO}" demo_bytes)
file(WRITE "${OUTPUT}.tmp"
"// Generated from db/schema.sql and db/demo.sql by tools/provixa/EmbedInstallation.cmake.
#include \"tools/provixa/EmbeddedInstallation.h\"

namespace
{
const char kSchema[] = {${schema_bytes} '\\0'};
const char kDemo[] = {${demo_bytes} '\\0'};
} // namespace

std::string_view EmbeddedInstallation::SchemaSql()
{
    return std::string_view(kSchema, sizeof(kSchema) - 1);
}

std::string_view EmbeddedInstallation::DemoSql()
{
    return std::string_view(kDemo, sizeof(kDemo) - 1);
}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
