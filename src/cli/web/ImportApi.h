// The import page's API:
//   POST /api/upload?name=N       the file, streamed to the upload store, and
//                                 what it is recognised as
//   POST /api/import/preview      the dry run: the rows that would be stored,
//                                 the lines refused with their reasons, and the
//                                 rows --skip-duplicates would leave out
//   POST /api/import              the import with the options chosen
//   GET  /api/import/progress     how far the running import has read
// The texts of refusals and failures are vo import's.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "cli/web/HttpTypes.h"
#include "voservices/ImportTypes.h"

class LibraryGate;
class UploadStore;

class ImportApi {
 public:
  // Run logs of real imports go to `logFolder` (ending in "/").
  ImportApi(LibraryGate& gate, UploadStore& uploads, std::string logFolder);
  void Register(httplib::Server& server);

 private:
  // Rows of a dry run shown in the page; the counts cover them all.
  static constexpr size_t kShownRows = 200;

  struct Progress {
    std::atomic<bool> running{false};
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> totalBytes{0};
    std::atomic<uint64_t> linesRead{0};
  };

  void Upload(const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& body);
  void Preview(const httplib::Request& request, httplib::Response& response);
  void Import(const httplib::Request& request, httplib::Response& response);
  void ShowProgress(httplib::Response& response) const;
  static void Report(const VoServices::ImportProgress& progress, void* self);

  LibraryGate& gate_;
  UploadStore& uploads_;
  std::string logFolder_;
  Progress progress_;
};
