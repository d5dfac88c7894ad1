// Transfer types. The table's order is the usage line's, and SetTransferType
// takes the first row of a number, so binary (not image) is the name of type 3.
// Format, mode and structure have one value each and are never sent.
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/handlers.h"
#include "interp/interpreter.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

struct TransferType {
  const char* name;
  const char* code;
  int number;
  bool takesByteSize;
};

const TransferType kTransferTypes[] = {
    {"ascii", "A", kTypeAscii, false},  {"binary", "I", kTypeBinary, false},
    {"image", "I", kTypeBinary, false}, {"ebcdic", "E", kTypeEbcdic, false},
    {"tenex", "L", kTypeTenex, true},
};

int SendType(const TransferType& type) {
  if (type.takesByteSize && session.byteSizeText[0])
    return SendCommand("TYPE %s %s", type.code, session.byteSizeText);
  return SendCommand("TYPE %s", type.code);
}

void SetType(const char* name) {
  for (const TransferType& type : kTransferTypes) {
    if (strcmp(type.name, name) != 0) continue;
    if (SendType(type) == kReplyComplete) {
      session.typeName = type.name;
      session.transferType = type.number;
      session.currentType = type.number;
    }
    return;
  }
  ReportMessage(kMsgUnknownMode, name);
  session.replyCode = -1;
}

}  // namespace

void TypeCommand(int argc, char** argv) {
  if (argc < 2) {
    ReportMessage(kMsgUsingMode, session.typeName);
    session.replyCode = 0;
    return;
  }
  if (argc == 2) {
    SetType(argv[1]);
    return;
  }
  ReportMessage(kMsgTypeUsageStart, argv[0]);
  bool first = true;
  for (const TransferType& type : kTransferTypes) {
    ReportLine("%s%s", first ? " " : " | ", type.name);
    first = false;
  }
  ReportMessage(kMsgTypeUsageEnd);
  session.replyCode = -1;
}

void AsciiCommand(int, char**) {
  SetType("ascii");
}

void BinaryCommand(int, char**) {
  SetType("binary");
}

void TenexCommand(int, char**) {
  SetType("tenex");
}

void FormCommand(int, char**) {
  ReportMessage(kMsgOnlyFormat, session.formName);
  session.replyCode = -1;
}

void ModeCommand(int, char**) {
  ReportMessage(kMsgOnlyMode, session.modeName);
  session.replyCode = -1;
}

void StructureCommand(int, char**) {
  ReportMessage(kMsgOnlyStructure, session.structName);
  session.replyCode = -1;
}

void SetTransferType(int number, bool show) {
  if (number == 0) number = kTypeBinary;
  if (number == session.currentType) return;
  for (const TransferType& type : kTransferTypes) {
    if (type.number != number) continue;
    bool verbose = session.verbose;
    if (!show) session.verbose = false;
    int replyClass = SendType(type);
    session.verbose = verbose;
    if (replyClass == kReplyComplete) session.currentType = number;
    return;
  }
  ReportMessage(kMsgUnknownType, number);
}
