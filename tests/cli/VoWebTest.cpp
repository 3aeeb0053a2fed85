// vo web's API as a client sees it: vo web runs as a child process on a
// loopback port of its choosing, and plain HTTP requests import, page, export
// and undo. What the API answers is held against what vo itself prints for
// the same ledger, and every refusal (no CSRF token, no access token, a
// foreign Host, an upload over the cap) is shown to change nothing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <json/json.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "SecurityCatalog.h"
#include "SecurityMasterServer.h"
#include "faults/VoProcess.h"
#include "support/TempDir.h"

namespace {

using std::chrono::seconds;

Json::Value Parse(const std::string& body) {
  Json::Value value;
  std::istringstream in(body);
  in >> value;
  return value;
}

class VoWebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_.path() + "vo.sqlite3";
    // The server may answer (413) and close before a large body is sent whole.
    signal(SIGPIPE, SIG_IGN);
  }

  // Starts vo web with `args` after "web"; the address it serves at, or
  // empty when it did not start.
  std::string Start(std::vector<std::string> args = {}, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {"--db", db_, "web", "--listen", "127.0.0.1:0", "--log-dir", dir_.path()});
    std::filesystem::create_directory(temp());
    env.push_back("TMPDIR=" + temp());
    server_ = std::make_unique<VoProcess>(args, dir_.path() + "web.txt", env);
    if (!server_->WaitForOutput("\n", std::chrono::seconds(20))) return "";
    std::smatch match;
    const std::string output = server_->output();
    if (!std::regex_search(output, match, std::regex("at http://127\\.0\\.0\\.1:(\\d+)/"))) return "";
    port_ = std::stoi(match[1]);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(60, 0);
    return match[0];
  }

  // The server's temporary folder: its uploads go there.
  std::string temp() const { return dir_.path() + "tmp"; }

  // Sends `request` as it is on a connection of its own; the answer's first line.
  std::string RawStatusLine(const std::string& request) const {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    const timeval wait{10, 0};  // a server still reading the body gives no answer
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(socket, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
      char buffer[512];
      for (ssize_t got; answer.find("\r\n") == std::string::npos && (got = recv(socket, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<size_t>(got));
      }
    }
    close(socket);
    return answer.substr(0, answer.find("\r\n"));
  }

  std::string Csrf() { return Parse(client_->Get("/api/session")->body)["csrf"].asString(); }

  // A POST with the page's CSRF token; the status and the JSON answer.
  Json::Value Post(const std::string& path, const httplib::Params& form, int& status) {
    httplib::Headers headers{{"X-CSRF-Token", Csrf()}};
    httplib::Result result = client_->Post(path.c_str(), headers, form);
    status = result ? result->status : 0;
    return result ? Parse(result->body) : Json::Value();
  }
  Json::Value Upload(const std::string& file, const std::string& name) {
    httplib::Result result = client_->Post(("/api/upload?name=" + name).c_str(), {{"X-CSRF-Token", Csrf()}},
                                           ReadFile(file), "application/octet-stream");
    return result ? Parse(result->body) : Json::Value();
  }
  Json::Value Get(const std::string& path) {
    httplib::Result result = client_->Get(path.c_str());
    return result ? Parse(result->body) : Json::Value();
  }

  // Everything the ledger shows through the API: runs and every transaction.
  std::string Ledger() {
    return Get("/api/runs").toStyledString() + Get("/api/transactions?limit=5000").toStyledString();
  }

  // vo itself on the same database; its stdout and stderr.
  std::string Vo(std::vector<std::string> args, int& status) {
    args.insert(args.begin(), {"--db", db_});
    VoProcess vo(args, dir_.path() + "vo.txt");
    status = vo.Wait(seconds(60));
    return vo.output();
  }

  // The ids of the view's rows read a page of `limit` at a time.
  std::vector<std::string> PagedIds(const std::string& view, int limit) {
    std::vector<std::string> ids;
    std::string after;
    for (int pages = 0; pages < 100; ++pages) {
      const Json::Value page = Get("/api/transactions?" + view + "&limit=" + std::to_string(limit) + after);
      for (const Json::Value& row : page["rows"]) ids.push_back(row[0].asString());
      if (!page["more"].asBool()) break;
      after = "&after=" + ids.back();
    }
    return ids;
  }

  TempDir dir_;
  std::string db_;
  std::unique_ptr<VoProcess> server_;
  int port_ = 0;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(VoWebTest, ImportsThroughThePreviewPagesExportsAndUndoes) {
  ASSERT_NE(Start(), "") << server_->output();
  // With no database yet the pages are empty, not failed.
  EXPECT_EQ(Get("/api/runs")["runs"].size(), 0u);

  const Json::Value upload = Upload(VO_TEST_DATA_DIR "/etrade/history.csv", "history.csv");
  EXPECT_EQ(upload["format"].asString(), "Etrade History - Transactions page (1 Transaction/line)");
  const httplib::Params form{{"upload", upload["upload"].asString()}, {"account_id", "7"}, {"account_name", "a"}};
  int status = 0;
  const Json::Value preview = Post("/api/import/preview", form, status);
  ASSERT_EQ(status, 200) << preview;
  EXPECT_EQ(preview["rowCount"].asUInt(), 5u);
  EXPECT_NE(preview.toStyledString().find("Failed to parse line 13"), std::string::npos) << preview;
  EXPECT_EQ(Get("/api/runs")["runs"].size(), 0u) << "a preview wrote";

  const Json::Value imported = Post("/api/import", form, status);
  ASSERT_EQ(status, 200) << imported;
  EXPECT_EQ(imported["line"].asString().substr(0, imported["line"].asString().find("; log")),
            "imported Etrade History - Transactions page (1 Transaction/line): 5 transactions stored, 0 refused, "
            "3 symbols added, 1 lines refused");
  const Json::Value runs = Get("/api/runs")["runs"];
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0]["file"].asString(), "history.csv");
  EXPECT_EQ(Get("/api/runs/1/rows")["rows"].size(), 5u);
  EXPECT_NE(Get("/api/runs/1/log")["text"].asString().find("Account ID: 7"), std::string::npos);

  // The same file again: the preview names the earlier run and the rows
  // --skip-duplicates would leave out.
  const Json::Value again = Post("/api/import/preview",
                                 {{"upload", upload["upload"].asString()}, {"account_id", "7"},
                                  {"account_name", "a"}, {"skip_duplicates", "1"}},
                                 status);
  EXPECT_EQ(again["rowCount"].asUInt(), 0u);
  EXPECT_EQ(again["duplicateCount"].asUInt(), 5u);
  EXPECT_EQ(again["duplicates"].size(), 5u);
  EXPECT_EQ(again["notes"][0].asString(), "warning: this file was already imported by run 1 for the account");

  // The export is what vo show writes for the same view.
  const std::string shown = Vo({"show", "--format", "csv", "--account", "7"}, status);
  ASSERT_EQ(status, 0) << shown;
  EXPECT_EQ(client_->Get("/api/transactions.csv?account=7")->body, shown);

  const Json::Value undone = Post("/api/runs/1/undo", {}, status);
  ASSERT_EQ(status, 200) << undone;
  EXPECT_EQ(undone["line"].asString(), "run 1 undone: 5 transactions and 3 symbols removed");
  EXPECT_EQ(Get("/api/transactions")["total"].asUInt(), 0u);
  // Undone once: the second says why as vo undo does.
  const std::string refused = Post("/api/runs/1/undo", {}, status)["error"].asString();
  EXPECT_EQ(status, 409);
  EXPECT_EQ("vo: " + refused + "\n", Vo({"undo", "1"}, status));

  // A run with a row that a later row refers to (a bought call, the sample's
  // T1007, that an expiration closed) is not undone: the answer names the rows.
  std::istringstream sample(ReadFile(VO_SAMPLES_DIR "/native.csv"));
  std::string header, line;
  std::getline(sample, header);
  while (std::getline(sample, line) && line.find("T1007") == std::string::npos) {
  }
  const std::string call = dir_.Write("call.csv", header + "\n" + line + "\n");
  Post("/api/import", {{"upload", Upload(call, "call.csv")["upload"].asString()}, {"account_id", "1"},
                       {"account_name", "a"}},
       status);
  ASSERT_EQ(status, 200);
  const std::string id = Get("/api/transactions")["rows"][0][0].asString();
  const std::string expired = Vo({"expire-options", id + "=5"}, status);
  ASSERT_NE(expired.find("expired " + id + " 5\n"), std::string::npos) << expired;
  const std::string before = Ledger();
  const Json::Value blocked = Post("/api/runs/2/undo", {}, status);
  EXPECT_EQ(status, 409);
  const std::string group = "grp_table 1 (trans_id_open " + id + ", trans_id_close " +
                            Get("/api/transactions")["rows"][1][0].asString() + ")";
  EXPECT_EQ(blocked["error"].asString(), "cannot undo run 2: rows made later refer to the run's transactions: " + group);
  EXPECT_EQ(blocked["blockers"][0].asString(), group);
  EXPECT_EQ(Ledger(), before);

  // Asked to stop, it stops, and its uploads go with it.
  ASSERT_FALSE(std::filesystem::is_empty(temp()));
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->Wait(seconds(20)), 0) << server_->output();
  EXPECT_TRUE(std::filesystem::is_empty(temp()));
}

TEST_F(VoWebTest, PagesInEveryOrderReadEachRowOnce) {
  ASSERT_NE(Start(), "") << server_->output();
  int status = 0;
  for (const char* sample : {"native.csv", "fidelity-v1.csv", "trademonster.csv"}) {
    const Json::Value upload = Upload(std::string(VO_SAMPLES_DIR "/") + sample, sample);
    Post("/api/import", {{"upload", upload["upload"].asString()}, {"account_id", "1"}, {"account_name", "a"}},
         status);
    ASSERT_EQ(status, 200) << sample;
  }
  const Json::Value all = Get("/api/transactions?limit=5000");
  ASSERT_GT(all["total"].asUInt(), 30u);
  // Pages of 7 follow each other without a gap or a repeat in every order,
  // ties and empty cells included, and match one page of everything.
  for (const std::string sort : {"trans_dttrade", "trans_total", "sym_name", "trans_action", "trans_dtsettle"}) {
    for (const std::string desc : {"0", "1"}) {
      const std::string view = "sort=" + sort + "&desc=" + desc;
      std::vector<std::string> whole;
      const Json::Value page = Get("/api/transactions?limit=5000&" + view);
      for (const Json::Value& row : page["rows"]) {
        whole.push_back(row[0].asString());
      }
      EXPECT_EQ(whole.size(), all["total"].asUInt()) << view;
      EXPECT_EQ(PagedIds(view, 7), whole) << view;
    }
  }
  // Each action the ledger holds selects its rows only, and together they are all.
  const Json::Value actions = Get("/api/actions")["actions"];
  ASSERT_GT(actions.size(), 5u);
  uint64_t byAction = 0;
  for (const Json::Value& action : actions) {
    const Json::Value rows = Get("/api/transactions?limit=5000&action=" + action["value"].asString());
    for (const Json::Value& row : rows["rows"]) EXPECT_EQ(row[1], action["name"]);
    byAction += rows["total"].asUInt();
  }
  EXPECT_EQ(byAction, all["total"].asUInt());
  // Filters: the account and symbol as vo show selects them.
  const std::string shown = Vo({"show", "--format", "csv", "--symbol", "IBM", "--from", "2008-01-01", "--to",
                                "2008-12-31", "--columns", "trans_id"},
                               status);
  std::vector<std::string> ids;
  const Json::Value filtered = Get("/api/transactions?symbol=IBM&from=2008-01-01&to=2008-12-31");
  for (const Json::Value& row : filtered["rows"]) {
    ids.push_back(row[0].asString());
  }
  std::string expected = "trans_id\r\n";
  for (const std::string& id : ids) expected += id + "\r\n";
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(Get("/api/transactions?from=2008-13-45")["error"].asString(),
            "expected a date as YYYY-MM-DD, got 2008-13-45");
}

// Requests without the CSRF token, and those of a page of another site that
// reaches the loopback server through a name that site controls, are refused.
TEST_F(VoWebTest, RefusedRequestsChangeNothing) {
  ASSERT_NE(Start(), "") << server_->output();
  int status = 0;
  const Json::Value upload = Upload(VO_TEST_DATA_DIR "/etrade/history.csv", "history.csv");
  const httplib::Params form{{"upload", upload["upload"].asString()}, {"account_id", "7"}, {"account_name", "a"}};
  Post("/api/import", form, status);
  ASSERT_EQ(status, 200);
  const std::string before = Ledger();

  for (const std::string token : {"", "0123456789abcdef0123456789abcdef"}) {
    httplib::Headers headers;
    if (!token.empty()) headers.emplace("X-CSRF-Token", token);
    for (const char* path : {"/api/import", "/api/runs/1/undo", "/api/symbols/update", "/api/upload?name=x.csv"}) {
      httplib::Result result = client_->Post(path, headers, form);
      ASSERT_TRUE(result) << path;
      EXPECT_EQ(result->status, 403) << path;
      EXPECT_EQ(Parse(result->body)["error"].asString(),
                "missing or wrong CSRF token (X-CSRF-Token): nothing was changed");
    }
    // A GET to a changing path changes nothing either: there is no such route.
    EXPECT_EQ(client_->Get("/api/runs/1/undo")->status, 404);
  }
  EXPECT_EQ(client_->Get("/api/runs", {{"Host", "evil.example:80"}})->status, 403);
  EXPECT_EQ(client_->Post("/api/runs/1/undo", {{"Host", "evil.example:80"}, {"X-CSRF-Token", Csrf()}}, form)->status,
            403);
  EXPECT_EQ(Ledger(), before);
}

TEST_F(VoWebTest, OnlyTheAddressesAndClientsItMayServe) {
  // Beyond loopback without a token: refused before anything listens.
  int status = 0;
  std::string said = Vo({"web", "--listen", "0.0.0.0:0"}, status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(said.find("vo: web: refusing to listen on 0.0.0.0 without --token"), std::string::npos) << said;
  said = Vo({"web", "--listen", "0.0.0.0:0", "--token", "short"}, status);
  EXPECT_EQ(status, 2) << said;
  EXPECT_NE(said.find("vo: web: --token: at least 16 characters"), std::string::npos) << said;

  // With a token (here from the environment): nothing without it, a bearer
  // header or the one-time sign-in's cookie, which works once. Uploads are capped.
  const std::string token = "s3cret-token-for-the-test";
  ASSERT_NE(Start({"--max-upload", "1"}, {"VO_WEB_TOKEN=" + token}), "") << server_->output();
  std::smatch code;
  const std::string output = server_->output();
  ASSERT_TRUE(std::regex_search(output, code, std::regex("/login\\?code=([0-9a-f]+)"))) << output;
  EXPECT_EQ(client_->Get("/api/runs")->status, 401);
  EXPECT_EQ(client_->Get("/")->status, 401);
  const httplib::Headers bearer{{"Authorization", "Bearer " + token}};
  EXPECT_EQ(client_->Get("/api/runs", bearer)->status, 200);
  httplib::Result signIn = client_->Get(("/login?code=" + code[1].str()).c_str());
  ASSERT_TRUE(signIn);
  EXPECT_EQ(signIn->status, 302);
  const std::string cookie = signIn->get_header_value("Set-Cookie");
  EXPECT_EQ(cookie.substr(0, cookie.find(';')), "vo_web=" + token);
  EXPECT_EQ(client_->Get(("/login?code=" + code[1].str()).c_str())->status, 403);
  EXPECT_EQ(client_->Get("/api/runs", {{"Cookie", "vo_web=" + token}})->status, 200);
  EXPECT_EQ(client_->Get("/api/runs", {{"Cookie", "vo_web=wrong"}})->status, 401);

  client_->set_default_headers(bearer);
  const std::string csrf = Csrf();
  // Refused on its stated length, before the body is read (only its first
  // bytes are sent).
  const std::string head = "POST /api/upload?name=big.csv HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
                           "\r\nAuthorization: Bearer " + token + "\r\nX-CSRF-Token: " + csrf +
                           "\r\nContent-Length: " + std::to_string((1 << 20) + 1) + "\r\n\r\nDate,";
  EXPECT_EQ(RawStatusLine(head), "HTTP/1.1 413 Payload Too Large");
  EXPECT_EQ(client_->Post("/api/upload?name=ok.csv", {{"X-CSRF-Token", csrf}}, "hello,world\n", "text/csv")->status,
            200);
}

TEST_F(VoWebTest, SymbolUpdatePreviewChangesNothingAndTheUpdateApplies) {
  SecurityCatalog catalog;
  std::string error;
  ASSERT_TRUE(catalog.Load(ReadFile(VO_SAMPLES_DIR "/secmaster.json"), error)) << error;
  SecurityMasterServer secmaster([&catalog](const std::string& body) { return catalog.Respond(body); });
  const int port = secmaster.Bind("127.0.0.1", 0);
  ASSERT_TRUE(port > 0 && secmaster.Start());
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";

  ASSERT_NE(Start(), "") << server_->output();
  int status = 0;
  Post("/api/import", {{"upload", Upload(VO_SAMPLES_DIR "/native.csv", "native.csv")["upload"].asString()},
                       {"account_id", "1"}, {"account_name", "a"}},
       status);
  ASSERT_EQ(status, 200);
  const std::string before = Ledger() + Get("/api/symbols").toStyledString();

  const Json::Value preview = Post("/api/symbols/preview", {{"url", url}}, status);
  ASSERT_EQ(status, 200) << preview;
  const size_t changes = preview["changes"].size();
  ASSERT_GT(changes, 0u);
  EXPECT_EQ(preview["line"].asString(), "dry run: " + std::to_string(changes) + " changes, nothing written");
  EXPECT_EQ(Ledger() + Get("/api/symbols").toStyledString(), before);

  const Json::Value update = Post("/api/symbols/update", {{"url", url}}, status);
  ASSERT_EQ(status, 200) << update;
  EXPECT_TRUE(update["line"].asString().starts_with("updated: ")) << update;
  EXPECT_NE(Ledger() + Get("/api/symbols").toStyledString(), before);
  EXPECT_EQ(Post("/api/symbols/update", {{"url", "http://127.0.0.1:1/"}}, status)["error"].asString().substr(0, 22),
            "update-symbols failed:");
}

}  // namespace
