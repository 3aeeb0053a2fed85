/* The C interface of libvoservices: the five services, the import with options
 * and the database, for hosts that cannot call C++ (Python, C#, Rust, C).
 *
 * Conventions that hold for every function here:
 * - Strings in are NUL-terminated UTF-8 (or the bytes of a file name); the
 *   library copies what it keeps and never frees what the caller passed.
 * - Functions that can fail return a vo_status. On anything but VO_OK the
 *   reason is in vo_last_error(). No C++ exception ever leaves this interface.
 * - Threads: the library keeps one database connection and one run log per
 *   process, without locks. Call it from one thread at a time (any thread;
 *   the last-error text is kept per thread). Callbacks run on the calling
 *   thread, inside the call that takes them.
 * - The database: vo_database_open opens it and gives the handle the services
 *   that touch it take; there is at most one open handle per process.
 * - Structs with a struct_size field grow at their end in later versions: set
 *   struct_size to sizeof the struct you compiled with (the *_init functions
 *   do), and the library reads and writes no field beyond it. */
#ifndef VOSERVICES_VOSERVICES_H
#define VOSERVICES_VOSERVICES_H

#include <stddef.h>
#include <stdint.h>

#include "voservices/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VO_VERSION_MAJOR 0
#define VO_VERSION_MINOR 2
#define VO_VERSION_PATCH 0

typedef enum vo_status {
  VO_OK = 0,
  /* The service ran and reported failure (the false of the C++ function):
   * an import that found no format or stored nothing, an update that could
   * not reach the server, an expiration that found no position. */
  VO_FAILED = 1,
  /* An import met a number it could not convert; nothing was stored. The
   * error text names the conversion and the value. */
  VO_CONVERSION_ERROR = 2,
  /* A null pointer or a bad size where a value was required. */
  VO_INVALID_ARGUMENT = 3,
  /* The database could not be opened or a statement could not run. */
  VO_DATABASE_ERROR = 4,
  /* Called in a state that does not allow it: a second open handle, a
   * handle that is not the open one, or a call on the database while another
   * one runs (from inside its callback, or from another thread). */
  VO_INVALID_STATE = 5,
  /* An unexpected failure inside the library (out of memory and the like). */
  VO_INTERNAL_ERROR = 6,
  /* An import's file could not be opened or read. */
  VO_FILE_UNREADABLE = 7,
  /* No format or layout knows an import's file. */
  VO_UNKNOWN_FORMAT = 8,
  /* An import refused with `once`: the account already has this content. */
  VO_ALREADY_IMPORTED = 9
} vo_status;

/* The library's version as "major.minor.patch". Static storage; never fails. */
VOSERVICES_API const char* vo_version(void);

/* Why the last call on this thread that did not return VO_OK failed. Never
 * null; empty when no call has failed yet. The text belongs to the library
 * and stays valid until the next call into the library on this thread. */
VOSERVICES_API const char* vo_last_error(void);

/* ---- The database -------------------------------------------------------- */

typedef struct vo_database vo_database;

/* Opens the process's database and hands back its handle in *database.
 * location: an SQLite file, created with its schema when missing; null or ""
 * means the file named by the environment variable VO_DB, else vo_db.sqlite3
 * in the current directory. VO_INVALID_STATE when a handle is already open;
 * VO_DATABASE_ERROR (with the reason) when the file cannot be opened or is no
 * database of ours. The caller owns the handle and closes it with
 * vo_database_close. */
VOSERVICES_API vo_status vo_database_open(const char* location, vo_database** database);

/* Closes the connection and frees the handle. Null, a handle closed
 * already, or one that is not the open one is left alone. Called while
 * another call on the database runs (from its callback, or another thread),
 * it closes nothing and vo_last_error says why. No query result or text
 * obtained through the handle outlives it. */
VOSERVICES_API void vo_database_close(vo_database* database);

/* Called once per row of a select: the row's cells and the column names, both
 * `columns` long, in select-list order. A NULL cell arrives as "". Pointers
 * are valid during the call only. Return 0 to go on, anything else to stop
 * (vo_query then returns VO_OK with the rows seen so far). */
typedef int (*vo_row_function)(void* user_data, int columns, const char* const* values,
                               const char* const* names);

/* Query flags. */
#define VO_QUERY_FRIENDLY_ENUMS 1u /* trans_action and sym_type as their names, not codes */

/* Runs one SQL statement (MySQL-like dialect, as docs/DATABASE.md shows) and
 * hands each row of a select to on_row (may be null for statements without
 * rows). Cells are text: dates as "YYYY-MM-DD HH:MM:SS", trans_total as a plain
 * decimal amount, enumeration columns as decimal codes unless flags has
 * VO_QUERY_FRIENDLY_ENUMS. VO_DATABASE_ERROR with the database's reason when the
 * statement fails. */
VOSERVICES_API vo_status vo_query(vo_database* database, const char* statement, unsigned flags,
                                  vo_row_function on_row, void* user_data);

/* Inserts one row into `table`: `count` column names with their texts, in any
 * order; "NULL" stands for SQL NULL (an id left to the database). Values take
 * their stored form (dates normalised, amounts read as numbers, enumeration
 * codes as integers). When row_id is not null it receives the new row's id.
 * VO_DATABASE_ERROR, and nothing stored, for an unknown table or column or a
 * value that cannot take its stored form. */
VOSERVICES_API vo_status vo_insert(vo_database* database, const char* table, size_t count,
                                   const char* const* columns, const char* const* values,
                                   uint64_t* row_id);

/* ---- The services -------------------------------------------------------- */

/* Sets *can_import to 1 when the file opens and a known format's header is
 * among its first lines, else 0. Writes no log and needs no database. */
VOSERVICES_API vo_status vo_can_import_file(const char* file_path, int* can_import);

/* How far an import has read its file; total_bytes is 0 when the size is not
 * known. */
typedef struct vo_import_progress {
  uint64_t bytes_read;
  uint64_t total_bytes;
  uint64_t lines_read;
} vo_import_progress;

/* Called on the importing thread while the file is parsed, at most about a
 * hundred times a run and once at its end; user_data is passed back unchanged.
 * The pointer is valid during the call only. */
typedef void (*vo_import_progress_function)(const vo_import_progress* progress, void* user_data);

typedef struct vo_import_options {
  size_t struct_size;                   /* sizeof(vo_import_options) */
  vo_import_progress_function progress; /* may be null */
  void* progress_user_data;
  /* Nonzero: refuse (VO_FAILED, nothing written) a file whose content was
   * already imported for the account and not undone. */
  int once;
  /* Nonzero: leave out each transaction whose stored content the account
   * already has. */
  int skip_duplicates;
  /* Nonzero: parse, decode and count, but write nothing to the database (the
   * run log is still written). */
  int dry_run;
  /* Layouts (docs/LAYOUTS.md), tried when none of the library's formats knows
   * the file. layout_file: a description tried before the built-in layouts;
   * one that cannot be used fails the call (VO_FAILED, its first problem in
   * vo_last_error). Null or "": none. */
  const char* layout_file;
  /* Nonzero: also the user's layouts ($VO_LAYOUTS, else ~/.config/vo/layouts),
   * after the built-in ones; one that cannot be used is left out. */
  int user_layouts;
  /* For a file that holds the rows of several broker accounts: the account
   * whose rows to import. Null or "": such a file is refused (VO_FAILED, the
   * accounts named in vo_last_error); a file of one account imports either way. */
  const char* broker_account;
} vo_import_options;

/* Fills *options with the defaults (no progress) and its struct_size. */
VOSERVICES_API void vo_import_options_init(vo_import_options* options);

/* vo_can_import_file with the layouts of `options` (layout_file,
 * user_layouts; may be null for the defaults). VO_FAILED when options names a
 * layout file that cannot be used. */
VOSERVICES_API vo_status vo_can_import_file_with_options(const char* file_path,
                                                         const vo_import_options* options,
                                                         int* can_import);

/* Checks a layout description (TOML, or JSON by a .json name). VO_OK when it
 * can be used; VO_FAILED with its problems, one "LINE: reason" a line, in
 * vo_last_error. Needs no database. */
VOSERVICES_API vo_status vo_check_layout_file(const char* path);

/* What one import did; the counts are those of its run log. The texts belong
 * to the database handle and stay valid until the next import through it or
 * its close. */
typedef struct vo_import_result {
  size_t struct_size; /* sizeof(vo_import_result) */
  const char* format; /* the format recognised; "" when none was */
  uint64_t lines_refused;
  uint64_t transactions_stored;
  uint64_t transactions_refused;
  uint64_t symbols_added;
  const char* log_path; /* the run log written; "" when none was */
  uint64_t run_id;          /* the import run recorded; 0 when none was */
  uint64_t previous_run_id; /* an earlier run of the same content; 0 if none */
  uint64_t duplicates_skipped;
} vo_import_result;

/* Fills *result with zeros, empty texts and its struct_size. */
VOSERVICES_API void vo_import_result_init(vo_import_result* result);

/* Imports a broker or native transaction file into the open database for one
 * account, exactly as ImportFile does, and writes its run log at
 * log_folder + account_name + "-" + local time stamp + ".log" (log_folder is
 * used as given: end it with '/'; "" is the current directory; a log that
 * cannot be created is skipped, not an error). options and result may be null.
 * VO_OK: imported. VO_FILE_UNREADABLE: the file could not be opened.
 * VO_UNKNOWN_FORMAT: no known format or layout. VO_DATABASE_ERROR: the
 * database could not be used. VO_ALREADY_IMPORTED: refused with `once`.
 * VO_CONVERSION_ERROR: a number could not be converted and nothing was stored.
 * VO_FAILED: the import gave up for another reason (its layout, its broker
 * accounts, its writes). The reason is in vo_last_error and in the log; the
 * result is filled in every case the import ran. */
VOSERVICES_API vo_status vo_import_file(vo_database* database, const char* file_path,
                                        const char* log_folder, const char* account_id,
                                        const char* account_name,
                                        const vo_import_options* options,
                                        vo_import_result* result);

/* Progress messages of the symbol update ("Connecting to your VO database...",
 * ...): message valid during the call only. */
typedef void (*vo_message_function)(const char* message, void* user_data);

/* Brings the symbol table in line with the security master server at url,
 * as UpdateSymbols does. on_message may be null. VO_FAILED when the update did
 * not complete (the server could not be reached or answered badly). */
VOSERVICES_API vo_status vo_update_symbols(vo_database* database, const char* url,
                                           vo_message_function on_message, void* user_data);

/* Smart time on the `count` transaction ids (as ApplySmartTime): buys that
 * follow a sale on the same account, symbol and day move to one second before
 * it. VO_FAILED when it moved nothing; VO_DATABASE_ERROR when the database
 * could not be read or written (nothing kept); the reason in vo_last_error. */
VOSERVICES_API vo_status vo_apply_smart_time(vo_database* database,
                                             const char* const* transaction_ids, size_t count);

/* Records the expiration of `count` option positions (as ExpireOptions): each
 * transaction id with the quantity that expires, both as text. VO_FAILED when
 * it recorded none; VO_DATABASE_ERROR when the database could not be read or
 * written (nothing kept); the reason in vo_last_error. */
VOSERVICES_API vo_status vo_expire_options(vo_database* database,
                                           const char* const* transaction_ids,
                                           const char* const* quantities, size_t count);

#ifdef __cplusplus
}
#endif

#endif /* VOSERVICES_VOSERVICES_H */
