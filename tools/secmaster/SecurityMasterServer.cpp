#include "SecurityMasterServer.h"

#include <httplib.h>

#include <chrono>
#include <utility>

SecurityMasterServer::SecurityMasterServer(Responder responder, size_t maxRequestBytes)
    : responder_(std::move(responder)), server_(std::make_unique<httplib::Server>()) {
  // Refused before the body is read.
  server_->set_payload_max_length(maxRequestBytes);
  server_->Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
    HttpAnswer answer = responder_(request.body);
    response.status = answer.status;
    response.set_content(answer.body, "application/json");
    ++requests_;
  });
}

SecurityMasterServer::~SecurityMasterServer() { Stop(); }

int SecurityMasterServer::Bind(const std::string& host, int port) {
  if (port == 0) {
    port = server_->bind_to_any_port(host);
    bound_ = port > 0;
  } else {
    bound_ = server_->bind_to_port(host, port);
  }
  return bound_ ? port : -1;
}

bool SecurityMasterServer::Start() {
  if (!bound_ || thread_.joinable()) return false;
  ended_ = false;
  thread_ = std::thread([this] {
    server_->listen_after_bind();
    ended_ = true;
  });
  // Stop must not come before the server runs, or it would be missed.
  while (!server_->is_running() && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return !ended_;
}

void SecurityMasterServer::Stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}
