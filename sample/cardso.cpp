#include "sample/card_ids.h"
#include "sample/comserver.h"

const ServerIdentity serverIdentity = {&CLSID_QvxServiceObject, QVX_SERVICE_CLSID_TEXT,
                                       QVX_SERVICE_PROGID, QVX_SERVICE_NAME, false};
