// Starting and stopping WinSock for the session, finding the local address the
// data connections announce, and the network self-test.
#pragma once

// WinSock 1.1 and localAddress; false (with a "500 ..." line when the address is
// the problem) when either fails.
bool StartNetworking();
void StopNetworking();

// Request 500: a started session is ended first; the outcome is reported as
// "%3d Initialization of Winsock %s\n" and networkStarted is set either way.
void StartNetworkingRequest();
// Requests 501 and 502, the window's end and the watchdog: only when started.
void EndSessionAndStopNetworking();
// Request 510: one hundred starts and stops, each reported.
void NetworkSelfTest();
