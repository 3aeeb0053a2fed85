# Writes a C++ source that holds the web pages' static files, so that `vo web`
# serves them from the binary and nothing is read or fetched at run time.
# Run as: cmake -DOUTPUT=file.cpp -DINPUTS="a.html|b.js" -P EmbedFiles.cmake
string(REPLACE "|" ";" inputs "${INPUTS}")
set(entries "")
set(arrays "")
set(index 0)
foreach(input IN LISTS inputs)
  get_filename_component(name "${input}" NAME)
  get_filename_component(extension "${input}" LAST_EXT)
  if(extension STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(extension STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(extension STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(extension STREQUAL ".svg")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "EmbedFiles: no content type for ${input}")
  endif()
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND arrays "const char kFile${index}[] = {${bytes} 0};\n")
  string(APPEND entries "      {\"/${name}\", \"${type}\", std::string_view(kFile${index}, ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new" "// Written by EmbedFiles.cmake from src/cli/web: do not edit.
#include \"cli/web/EmbeddedFiles.h\"

namespace {
${arrays}}  // namespace

std::span<const EmbeddedFile> EmbeddedFiles() {
  static const EmbeddedFile kFiles[] = {
${entries}  };
  return kFiles;
}
")
# Rewritten only when it changed, so that an unchanged page does not rebuild vo.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
