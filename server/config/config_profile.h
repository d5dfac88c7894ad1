// Sections and keys of the settings file, and the few helpers every table
// uses to reach them through the platform's private-profile calls.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char kSettingsSection[] = "tolmid";
inline constexpr char kUserSectionPrefix[] = "TOLmid_user_";
inline constexpr char kGroupSectionPrefix[] = "TOLmid_group_";
inline constexpr char kExportSectionPrefix[] = "TOLmid_export_";
inline constexpr size_t kSectionNameSize = 32;

// "%s%02u": users and groups from 01, exports from 00.
void NumberedSection(char* out, const char* prefix, uint32_t index);
void WriteUnsigned(const char* section, const char* key, uint32_t value, const char* iniFile);
