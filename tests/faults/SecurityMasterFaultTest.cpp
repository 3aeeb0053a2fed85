// A security master that misbehaves, at the connection test or at the
// request itself: every run ends with the message box of the step that failed,
// within the configured timeouts, and leaves the database as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "ScriptedHttpServer.h"
#include "support/StoredState.h"
#include "db/HSymboDAO.h"
#include "db/HTransDAO.h"
#include "platform/MessageBox.h"
#include "support/Backends.h"
#include "support/TempDatabase.h"
#include "voservices/SymbolUpdate.h"
#include "voservices/VoServices.h"

using namespace vo;

namespace {

using Fault = ScriptedHttpServer::Fault;
using Answer = ScriptedHttpServer::Answer;

constexpr char kConnectError[] = "Orbel Symbol Update: Error Connecting to Zudazuzo Diroza server.";
constexpr char kRequestError[] = "Orbel Symbol Update: Error Requesting update for 1 symbols.";
constexpr char kParseError[] = "Orbel Symbol Update: Error Parsing Zudazuzo Diroza data.";
constexpr char kAllCurrent[] = "Orbel Symbol Update: Zudazuzo Diroza found all symbols to be current.";

// A canonical record for OLD's new name, for answers that are almost right.
const std::string kRecord = R"({"security": {"vo_symbol": "NEW", "security_type": "Stock", "id": "7"}})";

class SecurityMasterFaultTest : public BackendTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected());
    setenv("VO_SECMASTER_CONNECT_TIMEOUT", "1", 1);
    setenv("VO_SECMASTER_TIMEOUT", "1", 1);
    previousSink_ = SetMessageSink([this](const std::string& text, const std::string& caption, unsigned) {
      messages_.push_back(caption + ": " + text);
    });
    ASSERT_TRUE(HSymboDAO().InsertSymbol({{0, "OLD"}, {3, "0"}}));
    ASSERT_TRUE(HTransDAO().InsertFields({{0, "NULL"}, {1, "0"}, {4, "10"}, {5, "2"}, {7, "1/2/2024 10:00:00"},
                                          {13, "20"}, {18, "1"}, {21, "OLD"}}));
  }
  void TearDown() override {
    SetMessageSink(previousSink_);
    unsetenv("VO_SECMASTER_CONNECT_TIMEOUT");
    unsetenv("VO_SECMASTER_TIMEOUT");
  }

  // Runs the update against a server whose connection test gets `atConnect`
  // and whose every later request gets `atRequest`; the message boxes shown.
  std::vector<std::string> RunAgainst(const Answer& atConnect, const Answer& atRequest) {
    messages_.clear();
    ScriptedHttpServer server(atConnect, atRequest);
    EXPECT_FALSE(server.url().empty());
    auto start = std::chrono::steady_clock::now();
    const VoServices::SymbolUpdateOutcome outcome = VoServices::UpdateSymbolsWithOutcome(server.url(), nullptr);
    EXPECT_FALSE(outcome.updated);
    // Both timeouts are one second: no fault may hold the run much longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // The outcome names the step that stopped it, as its message box does.
    EXPECT_TRUE(!messages_.empty() && messages_.back().ends_with(": " + outcome.failure)) << outcome.failure;
    kind_ = outcome.failureKind;
    return messages_;
  }

  // The failure kind each message box goes with.
  static VoServices::SymbolUpdateFailure KindOf(const std::string& message) {
    using Kind = VoServices::SymbolUpdateFailure;
    if (message == kConnectError) return Kind::kServerUnreachable;
    if (message == kRequestError) return Kind::kRequestFailed;
    if (message == kParseError) return Kind::kBadAnswer;
    return message == kAllCurrent ? Kind::kAllCurrent : Kind::kNone;
  }

  VoServices::SymbolUpdateFailure kind_ = VoServices::SymbolUpdateFailure::kNone;

  TempDatabase db_;
  std::vector<std::string> messages_;
  MessageSink previousSink_;
};
INSTANTIATE_TEST_SUITE_P(, SecurityMasterFaultTest, BothBackends(), BackendName);

// Transport faults end the step they strike (the connection test or the
// request). Answers of the wrong shape are parse errors; a name with a control
// character, or bytes that are not UTF-8, is skipped. None stores anything.
TEST_P(SecurityMasterFaultTest, FaultsEndTheirStepAndWriteNothing) {
  struct Case {
    std::string name;
    Answer atConnect;
    Answer atRequest;
    const char* message;
  };
  const Answer fine;
  const auto body = [](const std::string& text) { return Answer{Fault::kNone, 200, text}; };
  const std::string answer = R"({"GlobalSecurityRecords": [)" + kRecord + "]}";
  std::vector<Case> cases = {
      {"silent at the connection test", {Fault::kSilent}, fine, kConnectError},
      {"reset at the connection test", {Fault::kReset}, fine, kConnectError},
      {"silent", fine, {Fault::kSilent}, kRequestError},
      {"slower than the timeout", fine, {Fault::kSlow, 200, answer}, kRequestError},
      {"reset", fine, {Fault::kReset}, kRequestError},
      {"body cut short", fine, {Fault::kTruncated, 200, answer}, kRequestError},
      {"100 MB body", fine, {Fault::kHuge}, kRequestError},
      {"status 500", fine, {Fault::kNone, 500, answer}, kRequestError},
      {"nothing to change", fine, body(R"({"GlobalSecurityRecords": []})"), kAllCurrent},
      {"cut short, yet complete as HTTP", fine, body(R"({"GlobalSecurityRecords": [)"), kParseError},
      {"root not an object", fine, body(R"([{"GlobalSecurityRecords": []}])"), kParseError},
      {"list not an array", fine, body(R"({"GlobalSecurityRecords": {"NEW": {}}})"), kParseError},
      {"no global list", fine, body(R"({"BrokerSecurityDetails": []})"), kParseError},
      {"elements not objects", fine, body(R"({"GlobalSecurityRecords": [5, "NEW"]})"), kParseError},
      {"security not an object", fine, body(R"({"GlobalSecurityRecords": [{"security": "NEW"}]})"), kParseError},
      {"symbol not text", fine, body(R"({"GlobalSecurityRecords": [{"security": {"vo_symbol": {"x": 1}}}]})"),
       kParseError},
      {"a good record beside a bad one", fine,
       body(R"({"GlobalSecurityRecords": [)" + kRecord + R"(, {"security": {}}]})"), kParseError},
      {"nesting deeper than the JSON reader allows", fine,
       body(std::string(5000, '[') + std::string(5000, ']')), kParseError},
  };
  for (const char* name : {"NE\\u0000W", "NE\\nW", "NE\\u007fW", "G\xC0\xAF" "E", "\xED\xA0\x80"}) {
    cases.push_back({std::string("the name ") + name, fine,
                     body(std::string(R"({"GlobalSecurityRecords": [{"security": {"vo_symbol": ")") + name +
                          R"(", "security_type": "Stock", "id": "7"}}]})"),
                     kAllCurrent});
  }
  std::string before = StoredState(db_.file()).Everything();
  for (const Case& c : cases) {
    EXPECT_EQ(RunAgainst(c.atConnect, c.atRequest), std::vector<std::string>{c.message}) << c.name;
    EXPECT_EQ(kind_, KindOf(c.message)) << c.name;
    EXPECT_EQ(StoredState(db_.file()).Everything(), before) << c.name;
  }
}

}  // namespace
