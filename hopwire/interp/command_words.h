// Helpers the handlers share: what to do about a missing word, usage lines, the
// X-command fallbacks, and path mapping by the server's type.
#pragma once

#include <cstddef>

inline constexpr size_t kPathSize = 512;

// A word the command needs is missing, and no more input exists to ask for it:
// the prompt, then the usage line; only "sorry, arguments too long" when the line
// leaves no room for more words. replyCode -1 either way.
void MissingWord(const char* prompt, unsigned usage, const char* command);
// The usage line with word 0; replyCode -1.
void Usage(unsigned usage, const char* command);

// verb, or xverb after "<verb> command not recognized, trying <xverb>" when the
// server answers 500 to verb. argument may be null. The reply class.
int SendWithFallback(const char* verb, const char* xverb, unsigned tryingMessage,
                     const char* argument);

// The path into out when it fits (false, out empty, when it doesn't).
bool CopyPath(const char* path, char* out, size_t size);
// A remote path in the server's syntax (unchanged when its type has no mapping);
// false when it cannot be mapped.
bool MapRemotePath(const char* path, char* mapped, size_t size);
// A local path made safe by the server type's local mapping, if it has one.
bool MapLocalPath(const char* path, char* mapped, size_t size);

// A decimal number as the C library's atoi reads it, without its overflow: the
// value wraps as a 32-bit number would.
int ReadNumber(const char* text);
