#include "install/install.h"

bool cancelFlag;
long bytesCopied;
long totalBytes;
HWND progressDialog;

int RunInstallSequence()
{
    // Seam: the stages are not wired in yet, so the title window stays until it is closed.
    return 0;
}
