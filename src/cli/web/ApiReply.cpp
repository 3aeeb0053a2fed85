#include "cli/web/ApiReply.h"

#include <httplib.h>

#include "cli/web/LibraryGate.h"

void SendJson(httplib::Response& response, const Json::Value& body, int status) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  response.status = status;
  response.set_header("Cache-Control", "no-store");
  response.set_content(Json::writeString(builder, body), "application/json");
}

void SendError(httplib::Response& response, int status, const std::string& text) {
  Json::Value body;
  body["error"] = text;
  SendJson(response, body, status);
}

void SendBusy(httplib::Response& response) {
  Json::Value body;
  body["error"] = LibraryGate::kBusy;
  body["busy"] = true;
  SendJson(response, body, 503);
}

std::string Param(const httplib::Request& request, const char* name) {
  return request.has_param(name) ? request.get_param_value(name) : std::string();
}

uint64_t WholeParam(const httplib::Request& request, const char* name) {
  const std::string text = Param(request, name);
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoull(text);
}
