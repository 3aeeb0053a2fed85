// What a security master server sends back for one request.
#pragma once

#include <string>

struct HttpAnswer {
  int status = 200;
  std::string body;
};
