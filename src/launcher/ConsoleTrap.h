// The console control trap: console events (Ctrl+C, Ctrl+Break, closing the console, shutdown)
// become a call of the Java main class's static initiateExit(0).
#pragma once

// The handler that the launch registers when the configuration asks for the trap. Ctrl+C,
// Ctrl+Break, close and shutdown call initiateExit on the running launcher and count as handled;
// logoff counts as handled without calling Java; every other event is passed on (false).
bool consoleCtrlHandler(unsigned event);
