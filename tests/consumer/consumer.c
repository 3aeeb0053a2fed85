/* The same through the C API, built with only what pkg-config says. */
#include <stdio.h>
#include <stdlib.h>

#include <voservices/voservices.h>

static int count_row(void* user_data, int columns, const char* const* values,
                     const char* const* names) {
  (void)columns;
  (void)names;
  *(long*)user_data = atol(values[0]);
  return 0;
}

int main(int argc, char** argv) {
  vo_database* database = NULL;
  vo_import_result result;
  long stored = -1;
  if (argc != 4) return 2;
  if (vo_database_open(argv[1], &database) != VO_OK) {
    fprintf(stderr, "%s\n", vo_last_error());
    return 1;
  }
  vo_import_result_init(&result);
  if (vo_import_file(database, argv[2], argv[3], "1", "Main", NULL, &result) != VO_OK ||
      vo_query(database, "SELECT COUNT(*) FROM trans_table", 0, count_row, &stored) != VO_OK ||
      stored != (long)result.transactions_stored) {
    fprintf(stderr, "%s\n", vo_last_error());
    vo_database_close(database);
    return 1;
  }
  printf("stored %ld (%s)\n", stored, result.format);
  vo_database_close(database);
  return 0;
}
