// The 32 export slots. An export in a slot holds its root's node in the file
// handle table for as long as it is there, so each export takes one of the
// table's ten cached nodes for good.
#pragma once

#include <cstdint>

#include "config/config_records.h"
#include "platform/windef.h"

// None for an empty slot.
ExportEntry* ExportSlot(int slot);

// The slot must be empty. Finds or adds the path's record exactly as given
// and holds its node; FALSE when no node or no memory can be had.
BOOL AddExport(int slot, const char* path, UserEntry* owner, uint32_t access);
// Saves the section as removed, releases the root node, frees the entry.
void RemoveExport(const char* iniFile, int slot);
// Empties every slot without touching the settings file.
void EmptyExportTable();

enum ExportSave { EXPORT_SAVE, EXPORT_REMOVED };
void SaveExport(const char* iniFile, const ExportEntry* entry, ExportSave how);

// kExportSlots when every slot is taken.
int FirstFreeExportSlot();
// The export whose path is `path` or an ancestor of it, by whole components
// and byte for byte (case matters); the most specific one when several are.
ExportEntry* FindExportByPath(const char* path);
// The export whose directory is `dir`, ignoring case: the operator's name for it.
ExportEntry* FindExportByDirectory(const char* dir);
ExportEntry* FindExportByRoot(uint16_t bucket, uint16_t serial);
BOOL IsExportOwner(const UserEntry* user);

// Sections 00 to 31 up to the first without a dir. A removed section, an
// unknown owner or a directory that does not exist leaves its slot empty;
// FALSE when an export can't be entered.
BOOL LoadExports(const char* iniFile);
