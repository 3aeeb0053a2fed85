// The static files of vo web's pages (src/cli/web/*.html, .js, .css),
// compiled into vo by EmbedFiles.cmake. The data lives as long as the program.
#pragma once

#include <span>
#include <string_view>

struct EmbeddedFile {
  std::string_view path;  // "/index.html"
  std::string_view contentType;
  std::string_view content;
};

std::span<const EmbeddedFile> EmbeddedFiles();
