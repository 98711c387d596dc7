# SPDX-License-Identifier: MIT
# Writes OUTPUT, a C++ source that holds every file of FILES (a list) as a
# byte array, with its name, for jabbery::EmbeddedFiles(). FILES comes
# separated by "|".
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
set(index 0)
foreach(path IN LISTS FILES)
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
    get_filename_component(name "${path}" NAME)
    string(APPEND body "const unsigned char kFile${index}[] = {\n    ${bytes}\n};\n")
    string(APPEND table "    {\"${name}\", kFile${index}, sizeof kFile${index}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from the files in shell/icons by embed_files.cmake.\n"
"#include \"shell/embedded_files.h\"\n\n"
"namespace jabbery {\nnamespace {\n\n${body}\n"
"const EmbeddedFile kFiles[] = {\n${table}    {nullptr, nullptr, 0},\n};\n\n"
"}  // namespace\n\n"
"const EmbeddedFile* EmbeddedFiles() { return kFiles; }\n\n"
"}  // namespace jabbery\n")
# Only a changed result touches the output, so nothing rebuilds needlessly.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
