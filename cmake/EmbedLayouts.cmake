# Writes OUTPUT, a C++ source holding the text of every layout description in
# FILES (a list), for src/import/layouts/EmbeddedLayouts.h. Run with cmake -P.
set(entries "")
foreach(file IN LISTS FILES)
  file(READ "${file}" text)
  if(text MATCHES "\\)vo_layout\"")
    message(FATAL_ERROR "${file} holds the text )vo_layout\", which ends the embedded text")
  endif()
  get_filename_component(id "${file}" NAME_WE)
  get_filename_component(extension "${file}" LAST_EXT)
  string(SUBSTRING "${extension}" 1 -1 extension)
  string(APPEND entries "    {\"${id}\", \"${extension}\", R\"vo_layout(${text})vo_layout\"},\n")
endforeach()
if(entries STREQUAL "")
  set(entries "    {\"\", \"\", \"\"},\n")
endif()
file(WRITE "${OUTPUT}.new" "// Written by cmake/EmbedLayouts.cmake from src/import/layouts/: do not edit.
#include \"import/layouts/EmbeddedLayouts.h\"

namespace vo {

namespace {
constexpr EmbeddedLayout kLayouts[] = {
${entries}};
}  // namespace

std::span<const EmbeddedLayout> EmbeddedLayouts() {
  std::span<const EmbeddedLayout> layouts = kLayouts;
  return layouts.front().id.empty() ? layouts.first(0) : layouts;
}

}  // namespace vo
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
