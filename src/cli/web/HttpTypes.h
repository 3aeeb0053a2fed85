// The cpp-httplib types vo web's API classes name in their headers, declared
// here so that only their sources include the library's large header.
#pragma once

namespace httplib {
class Server;
struct Request;
struct Response;
class ContentReader;
}  // namespace httplib
