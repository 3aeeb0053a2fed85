// vo-secmaster: a security master server for the symbol update, answering
// from a reference data file until interrupted.
#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>

#include "SecurityCatalog.h"
#include "SecurityMasterServer.h"

int main(int argc, char** argv) {
  CLI::App app{"vo-secmaster: answer symbol update requests from a reference data file"};
  std::string host = "127.0.0.1";
  int port = 0;
  std::string dataFile;
  app.add_option("--data", dataFile, "JSON reference file of canonical securities")->required();
  app.add_option("--port", port, "TCP port; 0 picks a free one and prints it")->check(CLI::Range(0, 65535));
  app.add_option("--host", host, "address to listen on")->capture_default_str();
  size_t maxRequestBytes = SecurityMasterServer::kDefaultMaxRequestBytes;
  app.add_option("--max-request", maxRequestBytes,
                 "largest request body accepted (bytes, or with KB/MB); larger ones get HTTP 413")
      ->transform(CLI::AsSizeValue(false))
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  SecurityCatalog catalog;
  std::string error;
  if (!catalog.LoadFile(dataFile, error)) {
    std::cerr << "vo-secmaster: " << error << std::endl;
    return 2;
  }

  // Interrupts are taken by sigwait below, not by a handler, in every thread.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  SecurityMasterServer server([&catalog](const std::string& body) { return catalog.Respond(body); },
                             maxRequestBytes);
  int bound = server.Bind(host, port);
  if (bound < 0 || !server.Start()) {
    std::cerr << "vo-secmaster: cannot listen on " << host << ":" << port << std::endl;
    return 1;
  }
  std::cout << "vo-secmaster: " << catalog.size() << " securities at http://" << host << ":" << bound
            << "/" << std::endl;

  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  std::cout << "vo-secmaster: stopped after " << server.requestCount() << " requests" << std::endl;
  return 0;
}
