// The slave's hidden window, class "KORFTP-Slave": the controller reaches the slave
// only through it. MainWndProc is the slave's one exported function.
#pragma once

#include "platform/windows.h"

inline constexpr char kSlaveClass[] = "KORFTP-Slave";
inline constexpr int kSlaveIcon = 106;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterSlaveClass(HINSTANCE instance);
// Created with the class name as title and hidden; null on failure.
HWND CreateSlaveWindow(HINSTANCE instance);
