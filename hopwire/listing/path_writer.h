// A bounded text being built: appends past the end are refused and remembered,
// so a mapping either yields its whole result or reports that it did not fit.
#pragma once

#include <cstddef>

struct PathWriter {
  char* text;
  size_t size;  // with the terminator
  size_t length;
  bool overflow;
};

inline PathWriter StartPath(char* text, size_t size) {
  if (size > 0) text[0] = '\0';
  return PathWriter{text, size, 0, size == 0};
}

inline void AppendChar(PathWriter* writer, char c) {
  if (writer->overflow || writer->length + 1 >= writer->size) {
    writer->overflow = true;
    return;
  }
  writer->text[writer->length++] = c;
  writer->text[writer->length] = '\0';
}

inline void AppendText(PathWriter* writer, const char* text) {
  while (*text != '\0')
    AppendChar(writer, *text++);
}

// True when the whole result was written; otherwise the text is emptied.
inline bool FinishPath(PathWriter* writer) {
  if (writer->overflow && writer->size > 0) writer->text[0] = '\0';
  return !writer->overflow;
}
