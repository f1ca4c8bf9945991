// What distinguishes one of the product's in-process servers from the other; comserver.cpp
// holds the server itself.
#pragma once
#include <windows.h>

struct ServerIdentity {
    const CLSID* clsid;
    const char* clsidText;
    const char* progId;
    const char* name;
    bool control;  // registered as an ActiveX control as well
};

extern const ServerIdentity serverIdentity;
