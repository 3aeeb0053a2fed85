#include "symbols/SecurityMasterClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <memory>
#include <utility>

namespace vo {

namespace {

// The test exchange's body: a request that asks for nothing.
constexpr char kTestBody[] = R"({"global_security_records":[],"broker_security_details":[]})";

// An answer larger than this is refused rather than held in memory.
constexpr size_t kMaxResponseBytes = 64u << 20;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
  void operator()(char* text) const { curl_free(text); }
};

// The URL without its fragment, when it is an http or https URL with a host.
bool NormaliseUrl(const std::string& url, std::string& normalised) {
  std::unique_ptr<CURLU, UrlDeleter> parts(curl_url());
  if (!parts || curl_url_set(parts.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;

  char* raw = nullptr;
  if (curl_url_get(parts.get(), CURLUPART_SCHEME, &raw, 0) != CURLUE_OK) return false;
  std::unique_ptr<char, CurlTextDeleter> scheme(raw);
  if (std::string(scheme.get()) != "http" && std::string(scheme.get()) != "https") return false;

  if (curl_url_get(parts.get(), CURLUPART_HOST, &raw, 0) != CURLUE_OK) return false;
  std::unique_ptr<char, CurlTextDeleter> host(raw);
  if (*host == '\0') return false;

  curl_url_set(parts.get(), CURLUPART_FRAGMENT, nullptr, 0);
  if (curl_url_get(parts.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK) return false;
  std::unique_ptr<char, CurlTextDeleter> full(raw);
  normalised = full.get();
  return true;
}

// The text as a positive whole number, else `fallback`.
long long PositiveNumber(const std::string& text, long long fallback) {
  if (text.empty()) return fallback;
  char* end = nullptr;
  long long number = std::strtoll(text.c_str(), &end, 10);
  return *end == '\0' && number > 0 ? number : fallback;
}

// A positive whole number of seconds from the environment, else `fallback`.
long SecondsFromEnvironment(const char* variable, long fallback) {
  const char* text = std::getenv(variable);
  return text ? static_cast<long>(PositiveNumber(text, fallback)) : fallback;
}

size_t AppendResponse(char* data, size_t size, size_t count, void* sink) {
  std::string& text = *static_cast<std::string*>(sink);
  size_t bytes = size * count;
  if (text.size() + bytes > kMaxResponseBytes) return 0;  // makes the transfer fail
  text.append(data, bytes);
  return bytes;
}

}  // namespace

void SecurityMasterClient::CurlDeleter::operator()(void* handle) const { curl_easy_cleanup(handle); }

void SecurityMasterClient::HeaderListDeleter::operator()(curl_slist* list) const {
  curl_slist_free_all(list);
}

SecurityMasterClient::Timeouts SecurityMasterClient::Timeouts::FromEnvironment() {
  Timeouts timeouts;
  timeouts.connectSeconds = SecondsFromEnvironment("VO_SECMASTER_CONNECT_TIMEOUT", timeouts.connectSeconds);
  timeouts.totalSeconds = SecondsFromEnvironment("VO_SECMASTER_TIMEOUT", timeouts.totalSeconds);
  return timeouts;
}

SecurityMasterClient::SecurityMasterClient(std::string url)
    : SecurityMasterClient(std::move(url), Timeouts::FromEnvironment()) {}

SecurityMasterClient::SecurityMasterClient(std::string url, Timeouts timeouts)
    : url_(std::move(url)), timeouts_(timeouts) {
  Connect(url_);
}

SecurityMasterClient::~SecurityMasterClient() = default;

bool SecurityMasterClient::Connect(const std::string& url) {
  connected_ = false;
  std::string target;
  if (!NormaliseUrl(url, target)) {
    lastError_ = "not an http or https URL: " + url;
    return false;
  }

  InitCurlOnce();
  if (!curl_) curl_.reset(curl_easy_init());
  if (!curl_) {
    lastError_ = "cannot create an HTTP session";
    return false;
  }

  if (!headers_) {
    // "Expect:" keeps curl from waiting for a 100 Continue before large bodies.
    curl_slist* list = nullptr;
    for (const char* header : {"Content-Type: application/json", "Accept: application/json", "Expect:"}) {
      curl_slist* longer = curl_slist_append(list, header);
      if (!longer) {
        curl_slist_free_all(list);
        lastError_ = "out of memory";
        return false;
      }
      list = longer;
    }
    headers_.reset(list);
  }

  CURL* curl = curl_.get();
  curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers_.get());
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeouts_.connectSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeouts_.totalSeconds);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendResponse);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response_);

  connected_ = Post(kTestBody);
  response_.clear();
  return connected_;
}

bool SecurityMasterClient::Exchange(const std::string& body) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!connected_) return false;
  return Post(body);
}

bool SecurityMasterClient::ReadResponse(std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  // The answer may be tens of megabytes: handed over, not copied, and its
  // memory released here either way.
  if (text.empty()) {
    text.swap(response_);
  } else {
    text += response_;
  }
  std::string().swap(response_);
  return true;
}

size_t SecurityMasterClient::TakeBatchSize(std::string& url) {
  constexpr std::string_view kOption = "vo_batch=";
  const size_t query = std::min(url.find('?'), url.size());
  const size_t fragment = std::min(url.find('#', query), url.size());
  std::string kept;
  long long asked = 0;
  for (size_t at = query + 1; at < fragment;) {
    const size_t end = std::min(url.find('&', at), fragment);
    const std::string_view parameter(url.data() + at, end - at);
    if (parameter.starts_with(kOption)) {
      asked = PositiveNumber(std::string(parameter.substr(kOption.size())), 0);
    } else if (!parameter.empty()) {
      kept += (kept.empty() ? "" : "&") + std::string(parameter);
    }
    at = end + 1;
  }
  if (query < url.size()) url = url.substr(0, query) + (kept.empty() ? "" : "?" + kept) + url.substr(fragment);
  if (asked == 0) {
    const char* variable = std::getenv("VO_SECMASTER_BATCH");
    asked = variable ? PositiveNumber(variable, 0) : 0;
  }
  return static_cast<size_t>(asked);
}

std::string SecurityMasterClient::ShownUrl(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const size_t host = scheme + 3;
  const size_t authorityEnd = std::min(url.find_first_of("/?#", host), url.size());
  const size_t at = url.rfind('@', authorityEnd);
  if (at == std::string::npos || at < host) return url;
  const size_t colon = url.find(':', host);
  if (colon >= at) return url;
  return url.substr(0, colon + 1) + "***" + url.substr(at);
}

bool SecurityMasterClient::Post(const std::string& body) {
  CURL* curl = curl_.get();
  response_.clear();
  lastStatus_ = 0;
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));

  CURLcode sent = curl_easy_perform(curl);
  // The body pointer must not outlive this call.
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
  if (sent != CURLE_OK) {
    lastError_ = curl_easy_strerror(sent);
    response_.clear();
    return false;
  }

  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status <= 0) {
    lastError_ = "no HTTP status in the answer";
    response_.clear();
    return false;
  }
  lastStatus_ = status;
  if (status >= 400) {
    lastError_ = "HTTP status " + std::to_string(status);
    response_.clear();
    return false;
  }
  lastError_.clear();
  return true;
}

}  // namespace vo
