// hopwire as korftp's child: in a process group of its own, so the terminal's
// Ctrl-C reaches korftp only (which turns it into a cancel request), with no
// standard input, and watched through a process descriptor.
#pragma once

#include <sys/types.h>

#include <string>

struct SlaveProcess {
  pid_t pid = -1;
  int pidfd = -1;  // readable once the process has ended
  bool reaped = false;
  int status = 0;  // wait status, once reaped
};

// The program: the one named, else "hopwire" beside korftp's own file, else on PATH.
std::string FindSlaveProgram(const char* named);
bool StartSlaveProcess(const std::string& program, SlaveProcess* slave);
// True once the process has ended (and is reaped); never waits.
bool SlaveEnded(SlaveProcess* slave);
void KillSlave(SlaveProcess* slave);
// "exit status N" or "killed by signal N".
std::string DescribeEnd(const SlaveProcess& slave);
