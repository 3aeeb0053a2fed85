#include "cli/web/WebSession.h"

#include <httplib.h>

#include <random>

namespace {

// 128 random bits as hex, from the system's source of randomness.
std::string RandomToken() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device source;
  std::string token;
  for (int i = 0; i < 4; ++i) {
    uint32_t bits = source();
    for (int j = 0; j < 8; ++j, bits >>= 4) token += kHex[bits & 0xf];
  }
  return token;
}

// Compares every byte whatever the first difference, so that the time taken
// tells nothing about how much of a guess was right.
bool SameSecret(const std::string& given, const std::string& secret) {
  if (given.size() != secret.size() || secret.empty()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < secret.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
  return difference == 0;
}

// The value of one cookie in the request's Cookie header; empty when absent.
std::string CookieValue(const httplib::Request& request, const std::string& name) {
  const std::string header = request.get_header_value("Cookie");
  for (size_t start = 0; start < header.size();) {
    size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    std::string pair = header.substr(start, end - start);
    pair.erase(0, pair.find_first_not_of(' '));
    if (pair.starts_with(name + "=")) return pair.substr(name.size() + 1);
    start = end + 1;
  }
  return "";
}

}  // namespace

WebSession::WebSession(std::string accessToken)
    : accessToken_(std::move(accessToken)), csrfToken_(RandomToken()) {
  if (!accessToken_.empty()) loginCode_ = RandomToken();
}

bool WebSession::Admits(const httplib::Request& request) const {
  if (accessToken_.empty()) return true;
  const std::string authorization = request.get_header_value("Authorization");
  if (authorization.starts_with("Bearer ") && SameSecret(authorization.substr(7), accessToken_)) return true;
  return SameSecret(CookieValue(request, kCookie), accessToken_);
}

bool WebSession::RedeemLoginCode(const std::string& code) {
  std::lock_guard<std::mutex> lock(loginMutex_);
  if (loginUsed_ || !SameSecret(code, loginCode_)) return false;
  loginUsed_ = true;
  return true;
}

std::string WebSession::SignInCookie() const {
  return std::string(kCookie) + "=" + accessToken_ + "; Path=/; HttpOnly; SameSite=Strict";
}

bool WebSession::CarriesCsrfToken(const httplib::Request& request) const {
  return SameSecret(request.get_header_value(kCsrfHeader), csrfToken_);
}
