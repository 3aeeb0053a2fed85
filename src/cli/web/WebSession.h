// Who may use a vo web server, and what makes a request able to change the
// ledger. Without an access token any client that reaches the (loopback)
// address is served; with one, a request must carry it as
// "Authorization: Bearer TOKEN" or in the cookie that the one-time sign-in
// URL sets. Every POST must also carry the CSRF token in X-CSRF-Token: the
// pages read it from the API, which another site's page cannot, so a form
// or script elsewhere cannot make the browser change anything here.
// Made once by the server; its checks are safe from any request thread.
#pragma once

#include <mutex>
#include <string>

namespace httplib {
struct Request;
}

class WebSession {
 public:
  static constexpr const char* kCookie = "vo_web";
  static constexpr const char* kCsrfHeader = "X-CSRF-Token";

  explicit WebSession(std::string accessToken);

  bool RequiresToken() const { return !accessToken_.empty(); }
  const std::string& csrfToken() const { return csrfToken_; }
  // The code of the one-time sign-in URL; empty without an access token.
  const std::string& loginCode() const { return loginCode_; }

  // Whether the request carries the access token (always, without one).
  bool Admits(const httplib::Request& request) const;
  // True the first time the right code is given, never after.
  bool RedeemLoginCode(const std::string& code);
  // The Set-Cookie value that signs a browser in.
  std::string SignInCookie() const;
  bool CarriesCsrfToken(const httplib::Request& request) const;

 private:
  std::string accessToken_;
  std::string csrfToken_;
  std::string loginCode_;
  std::mutex loginMutex_;
  bool loginUsed_ = false;
};
