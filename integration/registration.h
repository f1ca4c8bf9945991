// The device service stage: the fallback registry script, the OPOS device key and the
// self-registration of the installed COM servers.
#pragma once

// Writes CARD.REG and the device key, makes the destination the current directory and registers
// both servers from the destination. The result is the second server's (1 or 0).
int RegisterDeviceService();

// Loads the server and calls its DllRegisterServer; 1 on a success code. Any failure has been
// shown to the user (owner: the main window) by the time it returns 0.
int SelfRegisterServer(const char* fileName);

// Loads the server by its full path (OLE initialised around it) and calls one of its
// self-registration entries; shows nothing.
enum class ServerCall { Done, NoOle, NotLoaded, NoEntry, Failed };
ServerCall CallServerEntry(const char* fileName, const char* entryName);
