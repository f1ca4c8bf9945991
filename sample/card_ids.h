// Identities of the product's two in-process COM servers, shared by the servers, the sample
// program and the tests.
#pragma once
#include <windows.h>

// CARD.OCX: the magnetic stripe reader control.
// {12BC645F-9E6B-4EB6-8610-B13446B36A3D}
static const CLSID CLSID_QvxCardControl = {
    0x12bc645f, 0x9e6b, 0x4eb6, {0x86, 0x10, 0xb1, 0x34, 0x46, 0xb3, 0x6a, 0x3d}};
#define QVX_CONTROL_CLSID_TEXT "{12BC645F-9E6B-4EB6-8610-B13446B36A3D}"
#define QVX_CONTROL_PROGID "QVX.MSRControl"
#define QVX_CONTROL_NAME "Quorvex MSR Control"

// CARDSO.DLL: the service object; its programmatic identifier is the one the OPOS device
// entry names.
// {30B57B40-6E49-41BF-B3EF-F84347DD9BEF}
static const CLSID CLSID_QvxServiceObject = {
    0x30b57b40, 0x6e49, 0x41bf, {0xb3, 0xef, 0xf8, 0x43, 0x47, 0xdd, 0x9b, 0xef}};
#define QVX_SERVICE_CLSID_TEXT "{30B57B40-6E49-41BF-B3EF-F84347DD9BEF}"
#define QVX_SERVICE_PROGID "QVXSO.QVXMSR"
#define QVX_SERVICE_NAME "Quorvex MSR Service Object"
