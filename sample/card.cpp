#include "sample/card_ids.h"
#include "sample/comserver.h"

const ServerIdentity serverIdentity = {&CLSID_QvxCardControl, QVX_CONTROL_CLSID_TEXT,
                                       QVX_CONTROL_PROGID, QVX_CONTROL_NAME, true};
