// The support values of ABOUT.INI for the about box: section support_info,
// keys title, company, phoneno, faxno and email, read once per run. The file
// lies in TCPAPPS_DIR (else the program's directory), or where the variable
// "ABOUT.INI" says when it is not there.
#pragma once

inline constexpr int kSupportValues = 5;
inline constexpr int kSupportValueSize = 64;  // 63 characters

struct SupportInfo {
  char values[kSupportValues][kSupportValueSize];  // in the order of the keys; empty when absent
};

const SupportInfo* SupportInformation();
