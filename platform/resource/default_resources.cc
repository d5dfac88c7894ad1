// The resources of a program that has none. A program's own definition of
// ProgramResources replaces this weak one at link time; it stands alone in its
// file so that no lookup code is compiled against its empty value.
#include "platform/resources.h"

[[gnu::weak]] extern const ResourceTable ProgramResources = {};
