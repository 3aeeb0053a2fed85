// vo web: the ledger's imports, runs, transactions and symbols in a browser.
//   1. the address is checked: loopback unless a --token guards it;
//   2. the server binds it and says where it serves (and, with a token, the
//      one-time address that signs a browser in) on stdout;
//   3. it serves until SIGINT or SIGTERM, then stops, removing its uploads.
#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "cli/Command.h"
#include "cli/ImportReport.h"
#include "cli/web/WebServer.h"

namespace {

struct WebArgs {
  std::string listen = "127.0.0.1:8765";
  std::string token;
  std::string logDir;
  uint64_t maxUploadMb = 256;
};

// HOST:PORT, [V6]:PORT; false when it is neither.
bool SplitAddress(const std::string& address, std::string& host, int& port) {
  const size_t colon = address.rfind(':');
  if (colon == std::string::npos || colon + 1 == address.size() || colon + 6 < address.size()) return false;
  const std::string digits = address.substr(colon + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::stoi(digits);
  host = address.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return !host.empty() && port <= 65535;
}

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host.starts_with("127.");
}

// A token goes into a cookie and a header: letters, digits and -._~+/= only,
// and long enough not to be guessed.
std::string TokenProblem(const std::string& token) {
  if (token.size() < 16) return "--token: at least 16 characters";
  if (token.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~+/=") !=
      std::string::npos) {
    return "--token: only letters, digits and - . _ ~ + / =";
  }
  return "";
}

int RunWeb(const WebArgs& args) {
  WebOptions options;
  if (!SplitAddress(args.listen, options.host, options.port)) {
    std::cerr << "vo: web: --listen: expected HOST:PORT, got " << args.listen << std::endl;
    return kExitUsage;
  }
  if (!args.token.empty() && !TokenProblem(args.token).empty()) {
    std::cerr << "vo: web: " << TokenProblem(args.token) << std::endl;
    return kExitUsage;
  }
  if (!IsLoopback(options.host) && args.token.empty()) {
    std::cerr << "vo: web: refusing to listen on " << options.host
              << " without --token: anyone who reaches that address could change the ledger; "
                 "give --token, or listen on 127.0.0.1"
              << std::endl;
    return kExitUsage;
  }
  options.token = args.token;
  options.logFolder = args.logDir.empty() ? DefaultLogFolder() : args.logDir;
  if (options.logFolder.back() != '/') options.logFolder += '/';
  options.maxUploadBytes = args.maxUploadMb << 20;
  AskForSymbolBatches(0);

  // SIGINT and SIGTERM wait for one thread, which stops the server; the
  // server's threads, made after this, never see them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A client that goes away mid-answer fails that write, not the server.
  signal(SIGPIPE, SIG_IGN);

  WebServer server(options);
  std::string error;
  if (!server.Bind(error)) {
    std::cerr << "vo: web: " << error << std::endl;
    return kExitFalse;
  }
  std::cout << "vo web: serving " << WebServer::ShownDatabase() << " at " << server.Url() << std::endl;
  if (!options.token.empty()) {
    std::cout << "vo web: sign a browser in once at " << server.SignInUrl()
              << " (or send Authorization: Bearer TOKEN)" << std::endl;
  }
  std::thread watcher([&server, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
  });
  server.Serve();
  pthread_kill(watcher.native_handle(), SIGTERM);  // when the server ended on its own
  watcher.join();
  std::cout << "vo web: stopped" << std::endl;
  return 0;
}

}  // namespace

Command AddWebCommand(CLI::App& app) {
  auto args = std::make_shared<WebArgs>();
  CLI::App* web = app.add_subcommand("web", "Serve the imports, runs, transactions and symbols as web pages");
  web->add_option("--listen", args->listen,
                  "HOST:PORT to serve on (port 0: any free one); an address other than loopback needs --token")
      ->capture_default_str();
  // From the environment too: a command line is visible to every user of the machine.
  web->add_option("--token", args->token,
                  "Access token a browser or client must present (Authorization: Bearer, or the sign-in cookie)")
      ->envname("VO_WEB_TOKEN");
  web->add_option("--log-dir", args->logDir,
                  "Folder for the run logs of imports (default: $XDG_STATE_HOME/vo/logs, or ~/.local/state/vo/logs)");
  web->add_option("--max-upload", args->maxUploadMb, "Largest file an upload may be, in MiB")
      ->check(CLI::Range(1, 1 << 20))
      ->capture_default_str();
  return {web, [args] { return RunWeb(*args); }};
}
