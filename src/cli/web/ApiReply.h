// How vo web's API answers: JSON bodies, and failures as {"error": TEXT} with
// an HTTP status, the text being what vo says on stderr for the same case.
#pragma once

#include <json/json.h>

#include <string>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

void SendJson(httplib::Response& response, const Json::Value& body, int status = 200);
void SendError(httplib::Response& response, int status, const std::string& text);
// 503 with LibraryGate::kBusy, for a request that found the library busy.
void SendBusy(httplib::Response& response);
// A request parameter (query string or form body); empty when absent.
std::string Param(const httplib::Request& request, const char* name);
// A parameter that is a positive whole number; 0 when it is absent or not one.
uint64_t WholeParam(const httplib::Request& request, const char* name);
