// The slave's only output paths to the controller. Each text line is one
// synchronous WM_COMMAND to the window of class "KORFTP-Main" (looked up anew each
// time), with the text in "FtpChannel2"; a line longer than the channel's 511
// characters is cut. Nothing is reported while quiet is set.
#pragma once

#include "platform/windef.h"

inline constexpr char kControllerClass[] = "KORFTP-Main";
inline constexpr WORD kControllerMessage = 546;  // low word of every request and report
inline constexpr WORD kReportLine = 503;
inline constexpr WORD kReportListLine = 511;  // a line reported in list mode
inline constexpr WORD kReportExpectedKilobytes = 507;
inline constexpr WORD kReportKilobytes = 508;
inline constexpr WORD kReportSeconds = 509;
inline constexpr WORD kReportBytes = 514;  // the remainder below a kilobyte
inline constexpr WORD kReportExpectedBytes = 515;
inline constexpr WORD kRequestStarting = 547;
inline constexpr WORD kRequestDone = 548;

// printf's rules; a sign flag on a text conversion ("%+11s") only aligns it.
void ReportLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, the format being message `number` of the string resources.
void ReportMessage(UINT number, ...);
// A listing line from the data connection: the outputFilter in force, if any,
// may replace it. Reply lines never go through the filter.
void ReportListingLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One numeric report (507, 508, 509, 514, 515) with its value in lParam.
void ReportNumber(WORD code, LONG value);
// A start or end notice (547, 548) of a request.
void ReportNotice(WORD notice);
