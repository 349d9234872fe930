// kivo.exe's test options at work (test_hooks.cpp). UI thread only.
#pragma once

#include <functional>
#include <string>

#include "ui/win32/win32_main_window.h"

namespace kivo::app {

// Runs |task| once, |ms| milliseconds from now, from the thread's message loop.
void After(int ms, std::function<void()> task);
// Types the blank-separated |keys| into |window| from |ms| on (see kivo.exe --help).
void TypeKeys(const Win32MainWindow& window, const std::string& keys, int ms);
// Closes the message boxes and dialogs this thread shows, as their close box would.
void DismissDialogs();
// Logs where |shown| and each control it shows are on the screen, and any hint showing.
void LogPlaces(const std::string& name, const Win32MainWindow& shown);

}  // namespace kivo::app
