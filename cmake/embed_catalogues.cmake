# Script mode (cmake -P), so it runs alike in the desktop and the emscripten
# build: writes OUTPUT, a C++ source holding each of CATALOGUES (a list of
# .po files; the file name without .po is the language code) as a string.
#   MODE=table     the core's table, kb::detail::EmbeddedCatalogues()
#   MODE=register  a source that adds each catalogue with kb::AddCatalogue at
#                  start (for a test program's own catalogues)
set(entries "")
foreach(po IN LISTS CATALOGUES)
    get_filename_component(code "${po}" NAME_WE)
    file(READ "${po}" text)
    # GCC and Clang take a literal of any length; the delimiter never occurs in a catalogue.
    set(pieces "R\"kbpo(${text})kbpo\"\n")
    string(APPEND entries "    {\"${code}\",\n${pieces}    },\n")
endforeach()
if(MODE STREQUAL "register")
    set(body "namespace {\nconst kb::EmbeddedCatalogue kCatalogues[] = {\n${entries}    {nullptr, nullptr}};\n[[maybe_unused]] const bool kAdded = [] {\n    for (const kb::EmbeddedCatalogue* c = kCatalogues; c->code != nullptr; ++c) {\n        kb::AddCatalogue(c->code, c->poText);\n    }\n    return true;\n}();\n}  // namespace\n")
else()
    set(body "namespace kb::detail {\nnamespace {\nconst EmbeddedCatalogue kCatalogues[] = {\n${entries}    {nullptr, nullptr}};\n}  // namespace\nstd::span<const EmbeddedCatalogue> EmbeddedCatalogues()\n{\n    return {kCatalogues, std::size(kCatalogues) - 1};\n}\n}  // namespace kb::detail\n")
endif()
# -Wpedantic asks for literals of at most 65536 characters, the least a
# compiler must take; GCC and Clang take any, and a catalogue with the guide
# is longer.
set(source "// Written by cmake/embed_catalogues.cmake from the PO catalogues; do not edit.\n#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n#include <iterator>\n#include <span>\n\n#include \"model/catalogue.h\"\n\n${body}")
# Rewritten only when it changes, so an unchanged catalogue builds nothing.
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL source)
    file(WRITE "${OUTPUT}" "${source}")
endif()
