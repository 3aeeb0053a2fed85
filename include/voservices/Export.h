/* What the shared library exports. The library is built with hidden visibility,
 * so only declarations marked VOSERVICES_API are part of its interface; a
 * linker version script keeps it so for anything else the compiler lets out. */
#ifndef VOSERVICES_EXPORT_H
#define VOSERVICES_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define VOSERVICES_API __attribute__((visibility("default")))
#else
#define VOSERVICES_API
#endif

#endif /* VOSERVICES_EXPORT_H */
