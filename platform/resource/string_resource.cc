// LoadString: copies at most size - 1 characters and always terminates; a
// missing string gives 0 and an empty buffer.
#include <string.h>

#include "platform/winbase.h"
#include "resource/program_resources.h"

int LoadString(HINSTANCE, UINT id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = 0;
  const StringResource* s = plat::res::FindString(id);
  if (!s || !s->text) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  size_t n = strlen(s->text);
  if (n > (size_t)size - 1) n = (size_t)size - 1;
  memcpy(buffer, s->text, n);
  buffer[n] = 0;
  return (int)n;
}
