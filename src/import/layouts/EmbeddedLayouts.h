// The texts of the built-in layout descriptions, compiled into the library
// from src/import/layouts/ by the build (cmake/EmbedLayouts.cmake).
#pragma once

#include <span>
#include <string_view>

namespace vo {

struct EmbeddedLayout {
  std::string_view id;         // the file name without its extension
  std::string_view extension;  // "toml" or "json"
  std::string_view text;
};

// In file name order.
std::span<const EmbeddedLayout> EmbeddedLayouts();

}  // namespace vo
