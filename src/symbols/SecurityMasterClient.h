// The HTTP side of the symbol update: posts JSON documents to one security
// master endpoint over one libcurl handle, kept for the client's life so that
// the connection is reused. Redirects are never followed, TLS peers are
// verified, and every transfer is bounded in time.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

struct curl_slist;

namespace vo {

class SecurityMasterClient {
 public:
  struct Timeouts {
    long connectSeconds = 15;  // establishing the connection
    long totalSeconds = 300;   // one whole exchange, sending and receiving

    // The defaults, each replaced by a positive whole number of seconds in
    // VO_SECMASTER_CONNECT_TIMEOUT or VO_SECMASTER_TIMEOUT when one is set
    // (tests use them not to wait out the production timeouts).
    static Timeouts FromEnvironment();
  };

  // Stores the URL and runs Connect with Timeouts::FromEnvironment();
  // connected() holds its result.
  explicit SecurityMasterClient(std::string url);
  SecurityMasterClient(std::string url, Timeouts timeouts);
  ~SecurityMasterClient();
  SecurityMasterClient(const SecurityMasterClient&) = delete;
  SecurityMasterClient& operator=(const SecurityMasterClient&) = delete;

  // Accepts an http:// or https:// URL, sets up the transfer and runs the test
  // exchange (an empty request); connected() holds the result. False when the
  // URL is not usable or the test exchange fails; the client is then unusable.
  bool Connect(const std::string& url);
  bool connected() const { return connected_; }

  // One POST of `body`. False at once when not connected; otherwise true when
  // the request was sent and answered with a status below 400. The answer's
  // body is kept for ReadResponse only on success.
  bool Exchange(const std::string& body);

  // Appends the body of the last successful exchange to `text` and forgets it.
  // Always true.
  bool ReadResponse(std::string& text);

  // Why the last transfer failed ("" after a success), for diagnostics.
  const std::string& lastError() const { return lastError_; }
  // The HTTP status of the last answer; 0 when none came.
  long lastStatus() const { return lastStatus_; }

  // The symbols per request asked for: by the URL's query parameter
  // vo_batch=N (taken out of the URL, so that the server never sees it), else
  // by VO_SECMASTER_BATCH; 0 (one request) when neither gives a positive
  // whole number.
  static size_t TakeBatchSize(std::string& url);

  // The URL as messages show it: a password in it becomes "***", so that a
  // log or a terminal never holds the server's credentials.
  static std::string ShownUrl(const std::string& url);

 private:
  struct CurlDeleter {
    void operator()(void* handle) const;
  };
  struct HeaderListDeleter {
    void operator()(curl_slist* list) const;
  };

  bool Post(const std::string& body);

  std::string url_;
  Timeouts timeouts_;
  std::unique_ptr<void, CurlDeleter> curl_;
  std::unique_ptr<curl_slist, HeaderListDeleter> headers_;
  std::string response_;
  std::string lastError_;
  long lastStatus_ = 0;
  bool connected_ = false;
  std::mutex lock_;
};

}  // namespace vo
